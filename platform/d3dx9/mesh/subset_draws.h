// Which indexed draws DrawSubset issues for one attribute id.
#pragma once

#include <d3dx9.h>

#include <vector>

namespace kl::d3dx9::mesh {

struct SubsetDraw {
    UINT minVertex;
    UINT vertexCount;
    UINT startIndex;
    UINT triangleCount;
};

// From the attribute table when the mesh has one: one draw per range of this
// id. Otherwise one draw per run of consecutive faces with this id in the
// per-face attributes, over all vertices since the run's vertex span is not
// known. No draws when no face has the id.
std::vector<SubsetDraw> SubsetDraws(const std::vector<D3DXATTRIBUTERANGE>& table,
                                    const std::vector<DWORD>& attributes, DWORD vertexCount,
                                    DWORD attribId);

}  // namespace kl::d3dx9::mesh
