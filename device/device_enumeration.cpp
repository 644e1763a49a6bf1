// Building the record of what every adapter offers.
#include "device/device_enumeration.h"

#include <algorithm>
#include <new>

#include "framework/error_display.h"
#include "framework/framework_state.h"

namespace {

const D3DFORMAT kDisplayFormatCandidates[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,
                                              D3DFMT_A2R10G10B10};
const D3DFORMAT kBackBufferFormatCandidates[] = {D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8,
                                                 D3DFMT_A2R10G10B10, D3DFMT_R5G6B5,
                                                 D3DFMT_A1R5G5B5,    D3DFMT_X1R5G5B5};
const D3DFORMAT kDepthStencilCandidates[] = {D3DFMT_D16,   D3DFMT_D15S1,   D3DFMT_D24X8,
                                             D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
const UINT kPresentIntervalCandidates[] = {
    D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT, D3DPRESENT_INTERVAL_ONE,
    D3DPRESENT_INTERVAL_TWO,       D3DPRESENT_INTERVAL_THREE,   D3DPRESENT_INTERVAL_FOUR};
const D3DDEVTYPE kDeviceTypeCandidates[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW, D3DDEVTYPE_REF};

// Width, height and refresh rate compare unsigned, the format as a signed
// 32-bit number.
bool DisplayModeLess(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    if (a.Width != b.Width) return a.Width < b.Width;
    if (a.Height != b.Height) return a.Height < b.Height;
    if (a.Format != b.Format) {
        return static_cast<int32_t>(a.Format) < static_cast<int32_t>(b.Format);
    }
    return a.RefreshRate < b.RefreshRate;
}

bool WindowedOnlyInterval(UINT interval) {
    return interval == D3DPRESENT_INTERVAL_TWO || interval == D3DPRESENT_INTERVAL_THREE ||
           interval == D3DPRESENT_INTERVAL_FOUR;
}

}  // namespace

EnumeratedDeviceType::~EnumeratedDeviceType() {
    for (SettingsCombination* combination : combinations) delete combination;
    combinations.RemoveAll();
}

EnumeratedAdapter::~EnumeratedAdapter() {
    for (EnumeratedDeviceType* type : deviceTypes) delete type;
    deviceTypes.RemoveAll();
}

DeviceEnumeration::DeviceEnumeration() {
    for (D3DFORMAT format : kDepthStencilCandidates) depthStencilCandidates.Add(format);
    for (int type = D3DMULTISAMPLE_NONE; type <= D3DMULTISAMPLE_16_SAMPLES; ++type) {
        multisampleCandidates.Add(static_cast<D3DMULTISAMPLE_TYPE>(type));
    }
    for (UINT interval : kPresentIntervalCandidates) presentIntervalCandidates.Add(interval);
}

DeviceEnumeration::~DeviceEnumeration() {
    DestroyAdapters();
}

void DeviceEnumeration::DestroyAdapters() {
    for (EnumeratedAdapter* adapter : adapters) delete adapter;
    adapters.RemoveAll();
}

HRESULT DeviceEnumeration::Enumerate(IDirect3D9* d3d, AcceptDeviceCallback accept, void* context) {
    if (!d3d) d3d = GetFrameworkState().GetDirect3D();
    if (!d3d) return FWERR_DIRECT3D_UNAVAILABLE;

    direct3d = d3d;
    acceptDevice = accept;
    acceptContext = context;
    DestroyAdapters();

    const UINT adapterCount = direct3d->GetAdapterCount();
    for (UINT ordinal = 0; ordinal < adapterCount; ++ordinal) {
        HRESULT hr = EnumerateAdapter(ordinal);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// Only a failure to record the adapter is reported; an adapter without a
// usable device type is silently left out.
HRESULT DeviceEnumeration::EnumerateAdapter(UINT ordinal) {
    EnumeratedAdapter* adapter = new (std::nothrow) EnumeratedAdapter();
    if (!adapter) return E_OUTOFMEMORY;
    adapter->adapterOrdinal = ordinal;
    direct3d->GetAdapterIdentifier(ordinal, 0, &adapter->identifier);

    GrowableArray<D3DFORMAT> displayFormats;
    ReadDisplayModes(adapter, displayFormats);

    HRESULT hr = EnumerateDeviceTypes(adapter, displayFormats);
    if (FAILED(hr) || adapter->deviceTypes.GetSize() == 0) {
        delete adapter;
        return S_OK;
    }
    hr = adapters.Add(adapter);
    if (FAILED(hr)) {
        delete adapter;
        return hr;
    }
    return S_OK;
}

void DeviceEnumeration::ReadDisplayModes(EnumeratedAdapter* adapter,
                                         GrowableArray<D3DFORMAT>& displayFormats) {
    const UINT ordinal = adapter->adapterOrdinal;
    for (D3DFORMAT format : kDisplayFormatCandidates) {
        const UINT modeCount = direct3d->GetAdapterModeCount(ordinal, format);
        for (UINT i = 0; i < modeCount; ++i) {
            D3DDISPLAYMODE mode{};
            if (FAILED(direct3d->EnumAdapterModes(ordinal, format, i, &mode))) continue;
            if (mode.Width < minWidth || mode.Width > maxWidth || mode.Height < minHeight ||
                mode.Height > maxHeight || mode.RefreshRate < minRefresh ||
                mode.RefreshRate > maxRefresh) {
                continue;
            }
            adapter->displayModes.Add(mode);
            if (!displayFormats.Contains(mode.Format)) displayFormats.Add(mode.Format);
        }
    }

    // The desktop format is always a candidate, even when none of its modes
    // passed the size limits: windowed use needs no display mode.
    D3DDISPLAYMODE desktop{};
    direct3d->GetAdapterDisplayMode(ordinal, &desktop);
    if (!displayFormats.Contains(desktop.Format)) displayFormats.Add(desktop.Format);

    std::sort(adapter->displayModes.begin(), adapter->displayModes.end(), DisplayModeLess);
}

HRESULT DeviceEnumeration::EnumerateDeviceTypes(EnumeratedAdapter* adapter,
                                                const GrowableArray<D3DFORMAT>& displayFormats) {
    for (D3DDEVTYPE type : kDeviceTypeCandidates) {
        HRESULT hr = EnumerateOneDeviceType(adapter, type, displayFormats);
        if (hr == E_OUTOFMEMORY) return hr;
    }
    return S_OK;
}

// A device type that fails a query or offers no combination is dropped; the
// result is E_OUTOFMEMORY only when its record could not be made.
HRESULT DeviceEnumeration::EnumerateOneDeviceType(EnumeratedAdapter* adapter, D3DDEVTYPE type,
                                                  const GrowableArray<D3DFORMAT>& displayFormats) {
    EnumeratedDeviceType* deviceType = new (std::nothrow) EnumeratedDeviceType();
    if (!deviceType) return E_OUTOFMEMORY;
    deviceType->deviceType = type;

    const UINT ordinal = adapter->adapterOrdinal;
    if (FAILED(direct3d->GetDeviceCaps(ordinal, type, &deviceType->caps)) ||
        !DeviceTypeAvailable(ordinal, type)) {
        delete deviceType;
        return S_FALSE;
    }

    HRESULT hr = EnumerateCombinations(adapter, deviceType, displayFormats);
    if (FAILED(hr) || deviceType->combinations.GetSize() == 0 ||
        FAILED(adapter->deviceTypes.Add(deviceType))) {
        delete deviceType;
        return S_FALSE;
    }
    return S_OK;
}

// A one-pixel windowed trial device. Only D3DERR_NOTAVAILABLE says the type
// does not exist; any other failure (out of video memory, no window yet) says
// nothing about the type, so it stays a candidate.
bool DeviceEnumeration::DeviceTypeAvailable(UINT ordinal, D3DDEVTYPE type) {
    D3DDISPLAYMODE primaryMode{};
    direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &primaryMode);

    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 1;
    params.BackBufferHeight = 1;
    params.BackBufferFormat = primaryMode.Format;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_COPY;
    params.hDeviceWindow = GetFrameworkState().GetFocusWindow();
    params.Windowed = TRUE;

    IDirect3DDevice9* trial = nullptr;
    HRESULT hr = direct3d->CreateDevice(ordinal, type, GetFrameworkState().GetFocusWindow(),
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &trial);
    if (hr == D3DERR_NOTAVAILABLE) return false;
    if (SUCCEEDED(hr) && trial) trial->Release();
    return true;
}

HRESULT DeviceEnumeration::EnumerateCombinations(EnumeratedAdapter* adapter,
                                                 EnumeratedDeviceType* deviceType,
                                                 const GrowableArray<D3DFORMAT>& displayFormats) {
    for (D3DFORMAT adapterFormat : displayFormats) {
        for (D3DFORMAT backBufferFormat : kBackBufferFormatCandidates) {
            for (bool windowed : {false, true}) {
                if (!CombinationCandidateUsable(adapter, deviceType, adapterFormat,
                                                backBufferFormat, windowed)) {
                    continue;
                }
                SettingsCombination* combination = new (std::nothrow) SettingsCombination();
                if (!combination) return E_OUTOFMEMORY;
                combination->adapterOrdinal = adapter->adapterOrdinal;
                combination->deviceType = deviceType->deviceType;
                combination->adapterFormat = adapterFormat;
                combination->backBufferFormat = backBufferFormat;
                combination->windowed = windowed ? TRUE : FALSE;

                ListDepthStencilFormats(combination);
                ListMultisampleTypes(combination);
                if (combination->multisampleTypes.GetSize() == 0) {
                    delete combination;
                    continue;
                }
                ListConflicts(combination);
                ListPresentIntervals(combination, deviceType->caps);

                combination->adapter = adapter;
                combination->deviceTypeRecord = deviceType;
                HRESULT hr = deviceType->combinations.Add(combination);
                if (FAILED(hr)) {
                    delete combination;
                    return hr;
                }
            }
        }
    }
    return S_OK;
}

bool DeviceEnumeration::CombinationCandidateUsable(EnumeratedAdapter* adapter,
                                                   EnumeratedDeviceType* deviceType,
                                                   D3DFORMAT adapterFormat,
                                                   D3DFORMAT backBufferFormat, bool windowed) {
    const UINT ordinal = adapter->adapterOrdinal;
    const D3DDEVTYPE type = deviceType->deviceType;
    if (!windowed && adapter->displayModes.GetSize() == 0) return false;
    if (FAILED(direct3d->CheckDeviceType(ordinal, type, adapterFormat, backBufferFormat,
                                         windowed ? TRUE : FALSE))) {
        return false;
    }
    if (requirePostPixelShaderBlending &&
        FAILED(direct3d->CheckDeviceFormat(ordinal, type, adapterFormat,
                                           D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                                           D3DRTYPE_TEXTURE, backBufferFormat))) {
        return false;
    }
    if (acceptDevice && !acceptDevice(&deviceType->caps, adapterFormat, backBufferFormat, windowed,
                                      acceptContext)) {
        return false;
    }
    return true;
}

void DeviceEnumeration::ListDepthStencilFormats(SettingsCombination* combination) {
    for (D3DFORMAT format : depthStencilCandidates) {
        if (SUCCEEDED(direct3d->CheckDeviceFormat(
                combination->adapterOrdinal, combination->deviceType, combination->adapterFormat,
                D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, format)) &&
            SUCCEEDED(direct3d->CheckDepthStencilMatch(
                combination->adapterOrdinal, combination->deviceType, combination->adapterFormat,
                combination->backBufferFormat, format))) {
            combination->depthStencilFormats.Add(format);
        }
    }
}

// Quality-level counts are capped so that a driver's huge count cannot
// overflow the quality arithmetic of the settings search.
void DeviceEnumeration::ListMultisampleTypes(SettingsCombination* combination) {
    for (D3DMULTISAMPLE_TYPE type : multisampleCandidates) {
        DWORD levels = 0;
        if (FAILED(direct3d->CheckDeviceMultiSampleType(
                combination->adapterOrdinal, combination->deviceType, combination->backBufferFormat,
                combination->windowed, type, &levels))) {
            continue;
        }
        const DWORD cap = maxMultisampleQuality + 1;
        if (maxMultisampleQuality != 0xFFFFFFFF && levels > cap) levels = cap;
        if (FAILED(combination->multisampleTypes.Add(type))) continue;
        if (FAILED(combination->multisampleQualityCounts.Add(levels))) {
            combination->multisampleTypes.SetSize(combination->multisampleTypes.GetSize() - 1);
        }
    }
}

void DeviceEnumeration::ListConflicts(SettingsCombination* combination) {
    for (D3DFORMAT format : combination->depthStencilFormats) {
        for (D3DMULTISAMPLE_TYPE type : combination->multisampleTypes) {
            if (FAILED(direct3d->CheckDeviceMultiSampleType(
                    combination->adapterOrdinal, combination->deviceType, format,
                    combination->windowed, type, nullptr))) {
                combination->conflicts.Add(DepthMultisampleConflict{format, type});
            }
        }
    }
}

void DeviceEnumeration::ListPresentIntervals(SettingsCombination* combination,
                                             const D3DCAPS9& caps) {
    for (UINT interval : presentIntervalCandidates) {
        if (combination->windowed && WindowedOnlyInterval(interval)) continue;
        if (interval == D3DPRESENT_INTERVAL_DEFAULT || (interval & caps.PresentationIntervals)) {
            combination->presentIntervals.Add(interval);
        }
    }
}

EnumeratedAdapter* DeviceEnumeration::FindAdapter(UINT adapterOrdinal) {
    for (EnumeratedAdapter* adapter : adapters) {
        if (adapter->adapterOrdinal == adapterOrdinal) return adapter;
    }
    return nullptr;
}

EnumeratedDeviceType* DeviceEnumeration::FindDeviceType(UINT adapterOrdinal,
                                                        D3DDEVTYPE deviceType) {
    EnumeratedAdapter* adapter = FindAdapter(adapterOrdinal);
    if (!adapter) return nullptr;
    for (EnumeratedDeviceType* type : adapter->deviceTypes) {
        if (type->deviceType == deviceType) return type;
    }
    return nullptr;
}

SettingsCombination* DeviceEnumeration::FindCombination(UINT adapterOrdinal, D3DDEVTYPE deviceType,
                                                        D3DFORMAT adapterFormat,
                                                        D3DFORMAT backBufferFormat, BOOL windowed) {
    EnumeratedDeviceType* type = FindDeviceType(adapterOrdinal, deviceType);
    if (!type) return nullptr;
    for (SettingsCombination* combination : type->combinations) {
        if (combination->adapterFormat == adapterFormat &&
            combination->backBufferFormat == backBufferFormat &&
            combination->windowed == windowed) {
            return combination;
        }
    }
    return nullptr;
}

DeviceEnumeration* GetDeviceEnumeration(bool forceEnumerate) {
    static DeviceEnumeration processEnumeration;
    FrameworkState& state = GetFrameworkState();
    DeviceEnumeration* enumeration = state.GetEnumeration();
    if (!enumeration) {
        enumeration = &processEnumeration;
        state.SetEnumeration(enumeration);
    } else if (!forceEnumerate) {
        return enumeration;
    }
    enumeration->Enumerate(state.GetDirect3D(), state.GetAcceptDeviceHandler(),
                           state.GetAcceptDeviceContext());
    return enumeration;
}
