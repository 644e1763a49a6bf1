// Per-vertex normals and tangents computed on vertex memory of any layout
// (a locked vertex buffer), described by a stride and element offsets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kl::d3dx9::mesh {

struct VertexView {
    uint8_t* base = nullptr;
    size_t stride = 0;
    size_t count = 0;
    int positionOffset = -1;  // float3
    int normalOffset = -1;    // float3
    int texcoordOffset = -1;  // float2
    int tangentOffset = -1;   // float3 or float4
    int tangentComponents = 3;
    int binormalOffset = -1;  // float3, optional
};

// Triangle corners: 16- or 32-bit indices, three per face.
struct IndexView {
    const void* data = nullptr;
    bool is32Bit = false;
    size_t faceCount = 0;

    uint32_t At(size_t i) const {
        return is32Bit ? static_cast<const uint32_t*>(data)[i]
                       : static_cast<const uint16_t*>(data)[i];
    }
};

// Each vertex's normal is the normalized sum of the normals of the faces that
// use it, each weighted by the face's area (the unnormalized cross product).
// Faces follow Direct3D's clockwise-is-front rule. Indices at or past the
// vertex count are ignored. Needs position and normal offsets.
void ComputeVertexNormals(const VertexView& vertices, const IndexView& indices);

// Each vertex's tangent points along increasing u of its texture coordinate:
// the faces' tangents are summed, made perpendicular to the vertex normal and
// normalized. A float4 tangent gets w = 1, or -1 where the texture is mirrored.
// When a binormal offset is given, the binormal cross(normal, tangent) × w is
// written there. Needs position, normal, texcoord and tangent offsets.
void ComputeVertexTangents(const VertexView& vertices, const IndexView& indices);

}  // namespace kl::d3dx9::mesh
