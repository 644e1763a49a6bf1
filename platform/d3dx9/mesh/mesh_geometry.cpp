#include "d3dx9/mesh/mesh_geometry.h"

#include <algorithm>
#include <numeric>

namespace kl::d3dx9::mesh {
namespace {

AttributeRange RangeOfFaces(const Geometry& g, uint32_t attrib, size_t first, size_t count) {
    AttributeRange r;
    r.attribId = attrib;
    r.faceStart = static_cast<uint32_t>(first);
    r.faceCount = static_cast<uint32_t>(count);
    uint32_t lo = UINT32_MAX;
    uint32_t hi = 0;
    for (size_t i = first * 3; i < (first + count) * 3; ++i) {
        lo = std::min(lo, g.indices[i]);
        hi = std::max(hi, g.indices[i]);
    }
    r.vertexStart = lo;
    r.vertexCount = hi - lo + 1;
    return r;
}

}  // namespace

std::vector<AttributeRange> SortFacesByAttribute(Geometry& geometry) {
    const size_t faces = geometry.FaceCount();
    std::vector<size_t> order(faces);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return geometry.attributes[a] < geometry.attributes[b];
    });

    std::vector<uint32_t> indices(faces * 3);
    std::vector<uint32_t> attributes(faces);
    for (size_t i = 0; i < faces; ++i) {
        attributes[i] = geometry.attributes[order[i]];
        std::copy_n(&geometry.indices[order[i] * 3], 3, &indices[i * 3]);
    }
    geometry.indices = std::move(indices);
    geometry.attributes = std::move(attributes);

    std::vector<AttributeRange> ranges;
    size_t start = 0;
    while (start < faces) {
        size_t end = start;
        while (end < faces && geometry.attributes[end] == geometry.attributes[start]) ++end;
        ranges.push_back(RangeOfFaces(geometry, geometry.attributes[start], start, end - start));
        start = end;
    }
    return ranges;
}

}  // namespace kl::d3dx9::mesh
