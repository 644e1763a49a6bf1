#include "d3dx9/mesh/subset_draws.h"

namespace kl::d3dx9::mesh {

std::vector<SubsetDraw> SubsetDraws(const std::vector<D3DXATTRIBUTERANGE>& table,
                                    const std::vector<DWORD>& attributes, DWORD vertexCount,
                                    DWORD attribId) {
    std::vector<SubsetDraw> draws;
    if (!table.empty()) {
        for (const D3DXATTRIBUTERANGE& r : table) {
            if (r.AttribId != attribId || r.FaceCount == 0) continue;
            draws.push_back({r.VertexStart, r.VertexCount, r.FaceStart * 3, r.FaceCount});
        }
        return draws;
    }
    const auto faces = static_cast<DWORD>(attributes.size());
    DWORD face = 0;
    while (face < faces) {
        if (attributes[face] != attribId) {
            ++face;
            continue;
        }
        DWORD end = face;
        while (end < faces && attributes[end] == attribId) ++end;
        draws.push_back({0, vertexCount, face * 3, end - face});
        face = end;
    }
    return draws;
}

}  // namespace kl::d3dx9::mesh
