#include "d3dx9/mesh/effect_instances.h"

#include <cstring>
#include <string>

namespace kl::d3dx9::mesh {
namespace {

struct DefaultValue {
    const char* name;
    D3DXEFFECTDEFAULTTYPE type;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> FloatBytes(std::initializer_list<float> values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(float));
    std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

std::vector<DefaultValue> DefaultsOf(const Material& m) {
    const float* d = m.diffuse;
    // In the order D3DX lists them.
    std::vector<DefaultValue> defaults = {
        {"Diffuse", D3DXEDT_FLOATS, FloatBytes({d[0], d[1], d[2], d[3]})},
        {"Power", D3DXEDT_FLOATS, FloatBytes({m.power})},
        {"Specular", D3DXEDT_FLOATS, FloatBytes({m.specular[0], m.specular[1], m.specular[2], 1})},
        {"Emissive", D3DXEDT_FLOATS, FloatBytes({m.emissive[0], m.emissive[1], m.emissive[2], 1})},
        {"Ambient", D3DXEDT_FLOATS, FloatBytes({0, 0, 0, 0})},
    };
    if (m.hasTexture) {
        const char* name = m.textureFilename.c_str();
        defaults.push_back({"Texture0@Name", D3DXEDT_STRING,
                            std::vector<uint8_t>(name, name + m.textureFilename.size() + 1)});
    }
    return defaults;
}

// Values are placed at 4-byte boundaries so that float arrays are aligned.
size_t Align4(size_t n) {
    return (n + 3) & ~size_t{3};
}

}  // namespace

HRESULT CreateEffectInstancesBuffer(const std::vector<Material>& materials, ID3DXBuffer** out) {
    std::vector<std::vector<DefaultValue>> all;
    size_t defaultCount = 0;
    size_t payload = 0;
    for (const Material& m : materials) {
        all.push_back(DefaultsOf(m));
        defaultCount += all.back().size();
        for (const DefaultValue& v : all.back()) {
            payload += Align4(std::strlen(v.name) + 1) + Align4(v.bytes.size());
        }
    }
    const size_t size = materials.size() * sizeof(D3DXEFFECTINSTANCE) +
                        defaultCount * sizeof(D3DXEFFECTDEFAULT) + payload;
    if (size > UINT32_MAX) return E_OUTOFMEMORY;
    const HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), out);
    if (FAILED(hr)) return hr;

    auto* instances = static_cast<D3DXEFFECTINSTANCE*>((*out)->GetBufferPointer());
    auto* defaults = reinterpret_cast<D3DXEFFECTDEFAULT*>(instances + materials.size());
    auto* bytes = reinterpret_cast<uint8_t*>(defaults + defaultCount);
    for (size_t i = 0; i < all.size(); ++i) {
        instances[i].pEffectFilename = nullptr;
        instances[i].NumDefaults = static_cast<DWORD>(all[i].size());
        instances[i].pDefaults = defaults;
        for (const DefaultValue& v : all[i]) {
            const size_t nameBytes = std::strlen(v.name) + 1;
            std::memcpy(bytes, v.name, nameBytes);
            defaults->pParamName = reinterpret_cast<char*>(bytes);
            bytes += Align4(nameBytes);
            std::memcpy(bytes, v.bytes.data(), v.bytes.size());
            defaults->Type = v.type;
            defaults->NumBytes = static_cast<DWORD>(v.bytes.size());
            defaults->pValue = bytes;
            bytes += Align4(v.bytes.size());
            ++defaults;
        }
    }
    return S_OK;
}

}  // namespace kl::d3dx9::mesh
