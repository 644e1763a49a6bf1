// The device state a text draw changes, read through the public device API
// before the draw and written back after it, so that drawing text leaves the
// device exactly as the application left it.
#pragma once

#include <d3d9.h>

#include <array>

namespace kl::d3dx9::font {

class SavedDeviceState {
public:
    explicit SavedDeviceState(IDirect3DDevice9* device);
    ~SavedDeviceState();
    SavedDeviceState(const SavedDeviceState&) = delete;
    SavedDeviceState& operator=(const SavedDeviceState&) = delete;

    // The render and sampler states a text draw sets.
    static const std::array<D3DRENDERSTATETYPE, 14> kRenderStates;
    static const std::array<D3DSAMPLERSTATETYPE, 6> kSamplerStates;

private:
    IDirect3DDevice9* device_;
    std::array<DWORD, kRenderStates.size()> renderValues_{};
    std::array<DWORD, kSamplerStates.size()> samplerValues_{};
    IDirect3DBaseTexture9* texture_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    DWORD fvf_ = 0;
    IDirect3DVertexBuffer9* stream_ = nullptr;
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
};

}  // namespace kl::d3dx9::font
