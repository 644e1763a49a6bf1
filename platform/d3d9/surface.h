// Surfaces: a level of a texture, the device's back buffer, or plain memory
// (offscreen plain surfaces). Locking reads GL-backed surfaces into memory and
// writes them back on unlock.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "d3d9/formats.h"

namespace kl::d3d9 {

class Device;

class Surface final : public IDirect3DSurface9 {
public:
    // A level of a texture; references go to the texture.
    Surface(IDirect3DBaseTexture9* container, Device* device, const FormatInfo& format,
            unsigned glTexture, UINT level, UINT width, UINT height, DWORD usage, D3DPOOL pool);
    // The device's back buffer; references go to the device.
    Surface(Device* device, const FormatInfo& format, unsigned glTexture, UINT width, UINT height,
            bool lockable);
    // A surface in memory with its own reference count and a reference on the device.
    static Surface* CreateInMemory(Device* device, const FormatInfo& format, UINT width,
                                   UINT height, D3DPOOL pool);
    ~Surface();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    DWORD STDMETHODCALLTYPE GetPriority() override;
    void STDMETHODCALLTYPE PreLoad() override {}
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** container) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect,
                                       DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    // GL texture and level behind the surface; 0 for a memory surface.
    unsigned GlTexture() const { return glTexture_; }
    UINT Level() const { return level_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    const FormatInfo& Format() const { return *format_; }
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    bool InMemory() const { return glTexture_ == 0; }
    uint8_t* Memory() { return memory_.data(); }
    size_t Pitch() const { return RowPitch(*format_, width_); }
    Device* OwnerDevice() const { return device_; }
    D3DPOOL Pool() const { return pool_; }
    // The back buffer gets a new GL texture and size at Reset.
    void Rebind(unsigned glTexture, UINT width, UINT height, const FormatInfo& format);

    // Reads the whole surface as RGBA8 rows, top row first.
    bool ReadRgba8(std::vector<uint8_t>* pixels);

private:
    Surface(Device* device, const FormatInfo& format, UINT width, UINT height, D3DPOOL pool);
    bool CanLock() const;
    void ReadGl(const RECT& rect, uint8_t* out) const;
    void WriteGl(const RECT& rect, const uint8_t* data) const;

    IUnknown* owner_ = nullptr;  // texture or device whose count this surface shares
    IDirect3DBaseTexture9* container_ = nullptr;
    Device* device_;
    const FormatInfo* format_;
    unsigned glTexture_ = 0;
    UINT level_ = 0;
    UINT width_, height_;
    DWORD usage_ = 0;
    D3DPOOL pool_;
    bool lockableBackBuffer_ = false;
    ULONG references_ = 1;
    DWORD priority_ = 0;
    std::vector<uint8_t> memory_;  // a memory surface's pixels
    // The lock in progress on a GL-backed surface.
    bool locked_ = false;
    DWORD lockFlags_ = 0;
    RECT lockRect_ = {};
    std::vector<uint8_t> lockBuffer_;
};

}  // namespace kl::d3d9
