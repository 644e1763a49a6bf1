// The effect instances that D3DXLoadMeshFromXW hands out. Our .x files carry
// no effect references, so each material gets the default instance D3DX
// builds from a material: no effect file, and one default per material
// member ("Diffuse", "Ambient", "Specular", "Emissive" as four floats,
// "Power" as one) plus "Texture0@Name" with the texture file name when the
// material has one.
#pragma once

#include <d3dx9.h>

#include <vector>

#include "d3dx9/mesh/mesh_geometry.h"

namespace kl::d3dx9::mesh {

// One buffer: the D3DXEFFECTINSTANCE array, then every instance's
// D3DXEFFECTDEFAULT array, then the names and values they point to.
HRESULT CreateEffectInstancesBuffer(const std::vector<Material>& materials, ID3DXBuffer** out);

}  // namespace kl::d3dx9::mesh
