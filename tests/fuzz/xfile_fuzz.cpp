// libFuzzer target for the .x reader: parsing, building the combined mesh,
// sorting faces into subsets and computing normals and tangents on the result
// must never crash, hang or read outside the input.
#include <cstddef>
#include <cstdint>

#include "d3dx9/mesh/mesh_geometry.h"
#include "d3dx9/mesh/vertex_math.h"
#include "d3dx9/mesh/xmesh_builder.h"

namespace {

void ExerciseGeometry(kl::d3dx9::mesh::Geometry& g) {
    kl::d3dx9::mesh::SortFacesByAttribute(g);
    kl::d3dx9::mesh::VertexView view;
    view.base = reinterpret_cast<uint8_t*>(g.vertices.data());
    view.stride = sizeof(kl::d3dx9::mesh::Vertex);
    view.count = g.vertices.size();
    view.positionOffset = offsetof(kl::d3dx9::mesh::Vertex, position);
    view.normalOffset = offsetof(kl::d3dx9::mesh::Vertex, normal);
    view.texcoordOffset = offsetof(kl::d3dx9::mesh::Vertex, texcoord);
    // No tangent slot in this layout: the normal slot stands in, which is enough to
    // run the computation over every face.
    view.tangentOffset = offsetof(kl::d3dx9::mesh::Vertex, normal);
    kl::d3dx9::mesh::IndexView indices{g.indices.data(), true, g.FaceCount()};
    kl::d3dx9::mesh::ComputeVertexNormals(view, indices);
    kl::d3dx9::mesh::ComputeVertexTangents(view, indices);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kl::d3dx9::mesh::Geometry geometry;
    if (kl::d3dx9::mesh::ReadXFileGeometry(data, size, geometry) ==
        kl::d3dx9::mesh::BuildStatus::Ok) {
        ExerciseGeometry(geometry);
    }
    return 0;
}
