// The materials buffer that D3DXLoadMeshFromXW hands out.
#pragma once

#include <d3dx9.h>

#include <vector>

#include "d3dx9/mesh/mesh_geometry.h"

namespace kl::d3dx9::mesh {

// An array of D3DXMATERIAL, one per material, followed by the texture names;
// each pTextureFilename points at its name inside the same buffer, or is
// nullptr for a material without a texture. Ambient is black, and the alpha
// of the specular and emissive colours is 1.
HRESULT CreateMaterialsBuffer(const std::vector<Material>& materials, ID3DXBuffer** out);

}  // namespace kl::d3dx9::mesh
