// What every adapter offers: display modes, device types and, per device
// type, the usable combinations of display format, back-buffer format and
// windowed/fullscreen with their depth/stencil formats, multisample types and
// presentation intervals. The application may veto any combination.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include "device/growable_array.h"
#include "framework/framework_callbacks.h"

struct EnumeratedAdapter;
struct EnumeratedDeviceType;

// A depth/stencil format that cannot be used with a multisample type.
struct DepthMultisampleConflict {
    D3DFORMAT depthStencilFormat;
    D3DMULTISAMPLE_TYPE multisampleType;
};

struct SettingsCombination {
    UINT adapterOrdinal = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    BOOL windowed = FALSE;
    GrowableArray<D3DFORMAT> depthStencilFormats;
    GrowableArray<D3DMULTISAMPLE_TYPE> multisampleTypes;
    GrowableArray<DWORD> multisampleQualityCounts;  // parallel to multisampleTypes
    GrowableArray<UINT> presentIntervals;
    GrowableArray<DepthMultisampleConflict> conflicts;
    EnumeratedAdapter* adapter = nullptr;
    EnumeratedDeviceType* deviceTypeRecord = nullptr;
};

struct EnumeratedDeviceType {
    ~EnumeratedDeviceType();

    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DCAPS9 caps{};
    GrowableArray<SettingsCombination*> combinations;  // owned
};

struct EnumeratedAdapter {
    ~EnumeratedAdapter();

    UINT adapterOrdinal = 0;
    D3DADAPTER_IDENTIFIER9 identifier{};
    GrowableArray<D3DDISPLAYMODE> displayModes;        // sorted
    GrowableArray<EnumeratedDeviceType*> deviceTypes;  // owned; HAL, SW, REF
};

class DeviceEnumeration {
public:
    DeviceEnumeration();
    ~DeviceEnumeration();
    DeviceEnumeration(const DeviceEnumeration&) = delete;
    DeviceEnumeration& operator=(const DeviceEnumeration&) = delete;

    // Rebuilds the adapter list. Without a Direct3D object the framework
    // state's is used.
    HRESULT Enumerate(IDirect3D9* direct3d, AcceptDeviceCallback acceptDevice, void* acceptContext);

    EnumeratedAdapter* FindAdapter(UINT adapterOrdinal);
    EnumeratedDeviceType* FindDeviceType(UINT adapterOrdinal, D3DDEVTYPE deviceType);
    SettingsCombination* FindCombination(UINT adapterOrdinal, D3DDEVTYPE deviceType,
                                         D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                         BOOL windowed);

    GrowableArray<EnumeratedAdapter*>& Adapters() { return adapters; }

    bool requirePostPixelShaderBlending = true;
    GrowableArray<D3DFORMAT> depthStencilCandidates;
    GrowableArray<D3DMULTISAMPLE_TYPE> multisampleCandidates;
    GrowableArray<UINT> presentIntervalCandidates;
    UINT minWidth = 640;
    UINT maxWidth = 0xFFFFFFFF;
    UINT minHeight = 480;
    UINT maxHeight = 0xFFFFFFFF;
    UINT minRefresh = 0;
    UINT maxRefresh = 0xFFFFFFFF;
    UINT maxMultisampleQuality = 0xFFFF;

private:
    HRESULT EnumerateAdapter(UINT ordinal);
    void ReadDisplayModes(EnumeratedAdapter* adapter, GrowableArray<D3DFORMAT>& displayFormats);
    HRESULT EnumerateDeviceTypes(EnumeratedAdapter* adapter,
                                 const GrowableArray<D3DFORMAT>& displayFormats);
    HRESULT EnumerateOneDeviceType(EnumeratedAdapter* adapter, D3DDEVTYPE type,
                                   const GrowableArray<D3DFORMAT>& displayFormats);
    bool DeviceTypeAvailable(UINT ordinal, D3DDEVTYPE type);
    HRESULT EnumerateCombinations(EnumeratedAdapter* adapter, EnumeratedDeviceType* deviceType,
                                  const GrowableArray<D3DFORMAT>& displayFormats);
    bool CombinationCandidateUsable(EnumeratedAdapter* adapter, EnumeratedDeviceType* deviceType,
                                    D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                                    bool windowed);
    void ListDepthStencilFormats(SettingsCombination* combination);
    void ListMultisampleTypes(SettingsCombination* combination);
    void ListConflicts(SettingsCombination* combination);
    void ListPresentIntervals(SettingsCombination* combination, const D3DCAPS9& caps);
    void DestroyAdapters();

    IDirect3D9* direct3d = nullptr;  // not owned
    AcceptDeviceCallback acceptDevice = nullptr;
    void* acceptContext = nullptr;
    GrowableArray<EnumeratedAdapter*> adapters;  // owned
};

// The process's one enumeration. The first call (or force) enumerates with
// the framework state's Direct3D object and acceptance handler.
DeviceEnumeration* GetDeviceEnumeration(bool forceEnumerate);
