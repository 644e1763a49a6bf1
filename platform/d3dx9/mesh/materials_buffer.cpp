#include "d3dx9/mesh/materials_buffer.h"

#include <cstring>

namespace kl::d3dx9::mesh {
namespace {

D3DCOLORVALUE Colour(const float* rgb, float a) {
    return {rgb[0], rgb[1], rgb[2], a};
}

}  // namespace

HRESULT CreateMaterialsBuffer(const std::vector<Material>& materials, ID3DXBuffer** out) {
    size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const Material& m : materials) {
        if (m.hasTexture) size += m.textureFilename.size() + 1;
    }
    if (size > UINT32_MAX) return E_OUTOFMEMORY;
    HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), out);
    if (FAILED(hr)) return hr;
    auto* entries = static_cast<D3DXMATERIAL*>((*out)->GetBufferPointer());
    char* names = reinterpret_cast<char*>(entries + materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        const Material& m = materials[i];
        D3DXMATERIAL& e = entries[i];
        e.MatD3D.Diffuse = {m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3]};
        e.MatD3D.Ambient = {0, 0, 0, 0};
        e.MatD3D.Specular = Colour(m.specular, 1);
        e.MatD3D.Emissive = Colour(m.emissive, 1);
        e.MatD3D.Power = m.power;
        e.pTextureFilename = nullptr;
        if (m.hasTexture) {
            std::memcpy(names, m.textureFilename.c_str(), m.textureFilename.size() + 1);
            e.pTextureFilename = names;
            names += m.textureFilename.size() + 1;
        }
    }
    return S_OK;
}

}  // namespace kl::d3dx9::mesh
