// 2D textures: immutable GL storage with one surface per mip level.
#pragma once

#include <d3d9.h>

#include <memory>
#include <vector>

#include "d3d9/formats.h"
#include "d3d9/resource.h"
#include "d3d9/surface.h"

namespace kl::d3d9 {

class Texture final : public DeviceResource<IDirect3DTexture9> {
public:
    // Creates the GL storage; nullptr when GL refuses it.
    static Texture* Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                           const FormatInfo& format, D3DPOOL pool);

    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    DWORD STDMETHODCALLTYPE GetLOD() override { return lod_; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levelCount_; }
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE filter) override;
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override { return autoGen_; }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override;
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT* rect) override;

    unsigned GlName() const { return glTexture_; }

private:
    Texture(Device* device, D3DPOOL pool) : DeviceResource(device, pool) {}
    ~Texture() override;

    unsigned glTexture_ = 0;
    DWORD levelCount_ = 0;
    DWORD lod_ = 0;
    D3DTEXTUREFILTERTYPE autoGen_ = D3DTEXF_LINEAR;
    std::vector<std::unique_ptr<Surface>> levels_;
};

// Number of levels of a full mip chain down to 1x1.
UINT FullMipCount(UINT width, UINT height);

}  // namespace kl::d3d9
