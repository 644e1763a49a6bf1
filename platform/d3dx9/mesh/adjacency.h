// Face adjacency as D3DX reports it: three entries per face, the face across
// edge (v0, v1), (v1, v2) and (v2, v0), or 0xFFFFFFFF where there is none.
// Vertices at the same position count as one point, so faces stay adjacent
// across a seam where vertices were split for normals or texture coordinates.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx9/mesh/mesh_geometry.h"

namespace kl::d3dx9::mesh {

constexpr uint32_t kNoNeighbour = 0xFFFFFFFF;

std::vector<uint32_t> FaceAdjacency(const Geometry& geometry);

}  // namespace kl::d3dx9::mesh
