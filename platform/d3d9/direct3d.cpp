#include "d3d9/direct3d.h"

#include <algorithm>
#include <cstring>

#include "common/log.h"
#include "d3d9/device.h"

namespace kl::d3d9 {
namespace {

template <class T>
bool Contains(const std::vector<T>& list, T value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

void CopyText(char* destination, size_t capacity, const std::string& text) {
    const size_t n = std::min(capacity - 1, text.size());
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
}

// The alpha-free twin of a format (A8R8G8B8 shows on an X8R8G8B8 display).
D3DFORMAT WithoutAlpha(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
            return D3DFMT_X8R8G8B8;
        case D3DFMT_A1R5G5B5:
            return D3DFMT_X1R5G5B5;
        case D3DFMT_A8B8G8R8:
            return D3DFMT_X8B8G8R8;
        default:
            return format;
    }
}

bool MultiSampleAllows(const MultiSampleSupport& support, D3DFORMAT format) {
    return support.formats.empty() || Contains(support.formats, format);
}

}  // namespace

const AdapterProfile* Direct3D::Adapter(UINT ordinal) const {
    return ordinal < profile_.adapters.size() ? &profile_.adapters[ordinal] : nullptr;
}

const AdapterProfile* Direct3D::AdapterWithType(UINT ordinal, D3DDEVTYPE type) const {
    const AdapterProfile* adapter = Adapter(ordinal);
    return adapter && Contains(adapter->deviceTypes, type) ? adapter : nullptr;
}

bool Direct3D::CanPresent(const AdapterProfile& adapter, D3DFORMAT display, D3DFORMAT backBuffer,
                          bool windowed) const {
    if (!Contains(adapter.displayFormats, display)) return false;
    if (backBuffer == D3DFMT_UNKNOWN) return windowed;
    if (!Contains(adapter.backBufferFormats, backBuffer)) return false;
    // The window system converts a windowed back buffer to the desktop format;
    // a fullscreen one must be the display format itself, alpha aside.
    return windowed || WithoutAlpha(backBuffer) == display;
}

UINT Direct3D::GetAdapterCount() {
    return static_cast<UINT>(profile_.adapters.size());
}

HRESULT Direct3D::GetAdapterIdentifier(UINT ordinal, DWORD, D3DADAPTER_IDENTIFIER9* out) {
    const AdapterProfile* adapter = Adapter(ordinal);
    if (!adapter || !out) return D3DERR_INVALIDCALL;
    std::memset(out, 0, sizeof(*out));
    CopyText(out->Driver, sizeof(out->Driver), adapter->driver);
    CopyText(out->Description, sizeof(out->Description), adapter->description);
    CopyText(out->DeviceName, sizeof(out->DeviceName), adapter->deviceName);
    out->DriverVersion.QuadPart = 0x0006000E000A0001LL;  // 6.14.10.1
    out->VendorId = adapter->vendorId;
    out->DeviceId = adapter->deviceId;
    out->DeviceIdentifier.Data1 = 0x4b4c0000u + ordinal;
    out->WHQLLevel = 1;
    return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT ordinal, D3DFORMAT format) {
    const AdapterProfile* adapter = Adapter(ordinal);
    if (!adapter) return 0;
    return static_cast<UINT>(
        std::count_if(adapter->modes.begin(), adapter->modes.end(),
                      [format](const D3DDISPLAYMODE& m) { return m.Format == format; }));
}

HRESULT Direct3D::EnumAdapterModes(UINT ordinal, D3DFORMAT format, UINT index,
                                   D3DDISPLAYMODE* out) {
    const AdapterProfile* adapter = Adapter(ordinal);
    if (!adapter || !out) return D3DERR_INVALIDCALL;
    UINT seen = 0;
    for (const D3DDISPLAYMODE& mode : adapter->modes) {
        if (mode.Format != format) continue;
        if (seen++ == index) {
            *out = mode;
            return D3D_OK;
        }
    }
    return seen == 0 ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT ordinal, D3DDISPLAYMODE* out) {
    const AdapterProfile* adapter = Adapter(ordinal);
    if (!adapter || !out) return D3DERR_INVALIDCALL;
    *out = adapter->desktop;
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT ordinal, D3DDEVTYPE type, D3DFORMAT display,
                                  D3DFORMAT backBuffer, BOOL windowed) {
    if (!Adapter(ordinal)) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter) return D3DERR_NOTAVAILABLE;
    return CanPresent(*adapter, display, backBuffer, windowed != FALSE) ? D3D_OK
                                                                        : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT ordinal, D3DDEVTYPE type, D3DFORMAT display, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT format) {
    if (!Adapter(ordinal)) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter || !Contains(adapter->displayFormats, display)) return D3DERR_NOTAVAILABLE;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        return Contains(adapter->depthStencilFormats, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (resourceType == D3DRTYPE_VERTEXBUFFER || resourceType == D3DRTYPE_INDEXBUFFER)
        return D3D_OK;
    if ((usage & D3DUSAGE_RENDERTARGET) && !Contains(adapter->renderTargetFormats, format))
        return D3DERR_NOTAVAILABLE;
    if ((usage & D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING) &&
        !Contains(adapter->blendingFormats, format))
        return D3DERR_NOTAVAILABLE;
    return Contains(adapter->textureFormats, format) ||
                   Contains(adapter->renderTargetFormats, format)
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT ordinal, D3DDEVTYPE type, D3DFORMAT format, BOOL,
                                             D3DMULTISAMPLE_TYPE samples, DWORD* qualityLevels) {
    if (qualityLevels) *qualityLevels = 0;
    if (!Adapter(ordinal)) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter) return D3DERR_NOTAVAILABLE;
    const bool knownFormat = Contains(adapter->renderTargetFormats, format) ||
                             Contains(adapter->depthStencilFormats, format) ||
                             Contains(adapter->backBufferFormats, format);
    if (!knownFormat) return D3DERR_NOTAVAILABLE;
    if (samples == D3DMULTISAMPLE_NONE) {
        if (qualityLevels) *qualityLevels = 1;
        return D3D_OK;
    }
    for (const MultiSampleSupport& support : adapter->multiSample) {
        if (support.type != samples || !MultiSampleAllows(support, format)) continue;
        if (qualityLevels) *qualityLevels = support.qualityLevels;
        return D3D_OK;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT ordinal, D3DDEVTYPE type, D3DFORMAT display,
                                         D3DFORMAT renderTarget, D3DFORMAT depthStencil) {
    if (!Adapter(ordinal)) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter || !Contains(adapter->displayFormats, display)) return D3DERR_NOTAVAILABLE;
    const bool target = Contains(adapter->renderTargetFormats, renderTarget) ||
                        Contains(adapter->backBufferFormats, renderTarget);
    return target && Contains(adapter->depthStencilFormats, depthStencil) ? D3D_OK
                                                                          : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::GetDeviceCaps(UINT ordinal, D3DDEVTYPE type, D3DCAPS9* caps) {
    if (!Adapter(ordinal) || !caps) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter) return D3DERR_NOTAVAILABLE;
    *caps = adapter->caps;
    caps->DeviceType = type;
    caps->AdapterOrdinal = ordinal;
    return D3D_OK;
}

HMONITOR Direct3D::GetAdapterMonitor(UINT ordinal) {
    const AdapterProfile* adapter = Adapter(ordinal);
    return adapter ? adapter->monitor : nullptr;
}

HRESULT Direct3D::CreateDevice(UINT ordinal, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!Adapter(ordinal) || !parameters) return D3DERR_INVALIDCALL;
    const AdapterProfile* adapter = AdapterWithType(ordinal, type);
    if (!adapter) return D3DERR_NOTAVAILABLE;
    const DWORD processing =
        flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                 D3DCREATE_MIXED_VERTEXPROCESSING);
    // Exactly one vertex-processing mode must be asked for.
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
        return D3DERR_INVALIDCALL;
    return Device::Create(this, *adapter, ordinal, type, focusWindow, flags, parameters, device);
}

}  // namespace kl::d3d9

extern "C" IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
    // The top bit asks for the debug runtime, which this platform does not tell apart.
    if ((sdkVersion & 0x7FFFFFFFu) != D3D_SDK_VERSION) {
        kl::platform::Log(kl::platform::LogLevel::Error,
                          "Direct3DCreate9: SDK version %u is not %u", sdkVersion,
                          static_cast<unsigned>(D3D_SDK_VERSION));
        return nullptr;
    }
    return new kl::d3d9::Direct3D(kl::d3d9::ActiveDisplayProfile());
}
