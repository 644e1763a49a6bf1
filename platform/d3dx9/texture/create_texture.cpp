// D3DXCreateTexture: CreateTexture with D3DX's parameter rules. Sizes of 0 or
// D3DX_DEFAULT become 256, sizes are clamped to the device's maximum, a level
// count of 0 or D3DX_DEFAULT asks for the full chain and larger counts are cut
// to it, and D3DFMT_UNKNOWN becomes A8R8G8B8.
#include <d3dx9.h>

#include <algorithm>

#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/texture/mip_chain.h"
#include "d3dx9/texture/texture_upload.h"

namespace kl::d3dx9::texture {
namespace {

constexpr UINT kDefaultSize = 256;

bool IsDefault(UINT value) {
    return value == 0 || value == D3DX_DEFAULT || value == D3DX_DEFAULT_NONPOW2;
}

}  // namespace

void ClampToDeviceLimits(IDirect3DDevice9* device, UINT& width, UINT& height) {
    D3DCAPS9 caps{};
    if (FAILED(device->GetDeviceCaps(&caps))) return;
    if (caps.MaxTextureWidth != 0) width = std::min<UINT>(width, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight != 0) height = std::min<UINT>(height, caps.MaxTextureHeight);
}

}  // namespace kl::d3dx9::texture

extern "C" HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE9 pDevice, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, LPDIRECT3DTEXTURE9* ppTexture) {
    using namespace kl::d3dx9::texture;
    if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (pDevice == nullptr) return D3DERR_INVALIDCALL;
    UINT width = IsDefault(Width) ? kDefaultSize : Width;
    UINT height = IsDefault(Height) ? kDefaultSize : Height;
    ClampToDeviceLimits(pDevice, width, height);
    const UINT full = FullMipLevelCount(width, height);
    const UINT levels = IsDefault(MipLevels) ? full : std::min(MipLevels, full);
    const D3DFORMAT format = Format == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : Format;
    return kl::d3dx9::AnswerOutOfMemory([&] {
        return pDevice->CreateTexture(width, height, levels, Usage, format, Pool, ppTexture,
                                      nullptr);
    });
}
