// D3DXCreateTextureFromFileW: decodes the file, scales it up to power-of-two
// sizes as D3DX does for D3DX_DEFAULT, and creates a managed A8R8G8B8 texture
// (X8R8G8B8 when the image has no transparency) with a full mip chain.
// A missing, unreadable or undecodable file fails with D3DXERR_INVALIDDATA.
#include <d3dx9.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/mesh/file_access.h"
#include "d3dx9/texture/mip_chain.h"
#include "d3dx9/texture/texture_upload.h"

namespace kl::d3dx9::texture {
namespace {

HRESULT UploadLevel(IDirect3DTexture9* texture, UINT level, const Image& image) {
    D3DLOCKED_RECT locked{};
    HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    const size_t rowBytes = size_t{image.width} * 4;
    auto* dst = static_cast<uint8_t*>(locked.pBits);
    for (uint32_t y = 0; y < image.height; ++y) {
        std::memcpy(dst + static_cast<ptrdiff_t>(y) * locked.Pitch, image.Pixel(0, y), rowBytes);
    }
    return texture->UnlockRect(level);
}

HRESULT UploadLevels(IDirect3DTexture9* texture, const Image& image) {
    const DWORD levels = texture->GetLevelCount();
    Image level = image;
    for (DWORD i = 0; i < levels; ++i) {
        if (i > 0) level = HalveBox(level);
        const HRESULT hr = UploadLevel(texture, i, level);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT UploadWithMipChain(IDirect3DTexture9* texture, const Image& image) {
    return kl::d3dx9::AnswerOutOfMemory([&] { return UploadLevels(texture, image); });
}

// An image larger than the device's largest texture is refused from its
// header, before decoding. The power-of-two texture is scaled down to the
// device's limits and to kMaxImagePixels, as D3DX scales what does not fit.
HRESULT CreateTextureFromFile(IDirect3DDevice9* device, const wchar_t* path,
                              IDirect3DTexture9** out) {
    std::vector<uint8_t> bytes;
    if (!kl::d3dx9::ReadWholeFile(path, bytes)) return D3DXERR_INVALIDDATA;
    UINT maxWidth = kMaxImageDimension;
    UINT maxHeight = kMaxImageDimension;
    ClampToDeviceLimits(device, maxWidth, maxHeight);
    Image image;
    if (DecodeImage(bytes.data(), bytes.size(), image, ImageLimits{maxWidth, maxHeight}) !=
        DecodeStatus::Ok) {
        return D3DXERR_INVALIDDATA;
    }
    bytes = {};
    UINT width = std::min(RoundUpToPowerOfTwo(image.width), maxWidth);
    UINT height = std::min(RoundUpToPowerOfTwo(image.height), maxHeight);
    while (uint64_t{width} * height > kMaxImagePixels) (width >= height ? width : height) /= 2;
    image = Resize(image, width, height);

    const D3DFORMAT format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    IDirect3DTexture9* texture = nullptr;
    HRESULT hr = device->CreateTexture(width, height, FullMipLevelCount(width, height), 0, format,
                                       D3DPOOL_MANAGED, &texture, nullptr);
    if (FAILED(hr)) return hr;
    hr = UploadWithMipChain(texture, image);
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    *out = texture;
    return S_OK;
}

}  // namespace kl::d3dx9::texture

extern "C" HRESULT WINAPI D3DXCreateTextureFromFileW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile,
                                                     LPDIRECT3DTEXTURE9* ppTexture) {
    if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (pDevice == nullptr || pSrcFile == nullptr) return D3DERR_INVALIDCALL;
    return kl::d3dx9::AnswerOutOfMemory(
        [&] { return kl::d3dx9::texture::CreateTextureFromFile(pDevice, pSrcFile, ppTexture); });
}
