// The Direct3D object: answers every question about adapters, formats and
// device types from the display profile it was created with.
#pragma once

#include <d3d9.h>

#include "common/com_object.h"
#include "d3d9/display_profile.h"

namespace kl::d3d9 {

class Direct3D final : public platform::ComObject<IDirect3D9> {
public:
    explicit Direct3D(DisplayProfile profile) : profile_(std::move(profile)) {}

    UINT STDMETHODCALLTYPE GetAdapterCount() override;
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT Adapter, DWORD Flags,
                                                   D3DADAPTER_IDENTIFIER9* pIdentifier) override;
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override;
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode,
                                               D3DDISPLAYMODE* pMode) override;
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType,
                                              D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                                              BOOL bWindowed) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType,
                                                D3DFORMAT AdapterFormat, DWORD Usage,
                                                D3DRESOURCETYPE RType,
                                                D3DFORMAT CheckFormat) override;
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType,
                                                         D3DFORMAT SurfaceFormat, BOOL Windowed,
                                                         D3DMULTISAMPLE_TYPE MultiSampleType,
                                                         DWORD* pQualityLevels) override;
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType,
                                                     D3DFORMAT AdapterFormat,
                                                     D3DFORMAT RenderTargetFormat,
                                                     D3DFORMAT DepthStencilFormat) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType,
                                            D3DCAPS9* pCaps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT Adapter) override;
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                           DWORD BehaviorFlags,
                                           D3DPRESENT_PARAMETERS* pPresentationParameters,
                                           IDirect3DDevice9** ppReturnedDeviceInterface) override;

    // The adapter of an ordinal, or nullptr.
    const AdapterProfile* Adapter(UINT ordinal) const;
    // The adapter when it offers the device type, else nullptr.
    const AdapterProfile* AdapterWithType(UINT ordinal, D3DDEVTYPE type) const;
    // Whether a back buffer of `backBuffer` format can show on a display of
    // `display` format (D3DFMT_UNKNOWN stands for the display's own format).
    bool CanPresent(const AdapterProfile& adapter, D3DFORMAT display, D3DFORMAT backBuffer,
                    bool windowed) const;

private:
    DisplayProfile profile_;
};

}  // namespace kl::d3d9
