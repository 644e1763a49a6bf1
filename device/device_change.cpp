// Applying device settings: the one road for every device change, and the
// device's life cycle with the application's callbacks in their fixed order
// (created, reset, then lost/reset any number of times, lost, destroyed).
#include "device/device_change.h"

#include <cstring>
#include <new>

#include "device/device_window.h"
#include "framework/error_display.h"
#include "framework/framework_state.h"
#include "framework/main_loop.h"
#include "framework/pausing.h"
#include "framework/shortcut_keys.h"

namespace {

bool IsWindowed(const DeviceSettings* settings) {
    return settings && settings->presentParams.Windowed != 0;
}

// A reset is enough only when the device itself stays the same.
bool NeedsNewDevice(const DeviceSettings* previous, const DeviceSettings& next,
                    IDirect3DDevice9* existingDevice, bool forceRecreate) {
    FrameworkState& state = GetFrameworkState();
    IDirect3DDevice9* device = state.GetDevice();
    if (forceRecreate) return true;
    if (existingDevice && existingDevice != device) return true;
    if (!device || !previous) return true;
    return previous->adapterOrdinal != next.adapterOrdinal ||
           previous->deviceType != next.deviceType || previous->behaviorFlags != next.behaviorFlags;
}

// Runs one device handler with insideDeviceCallbacks set around it.
void CallDeviceLost() {
    FrameworkState& state = GetFrameworkState();
    DeviceLostCallback handler = state.GetDeviceLostHandler();
    void* context = state.GetDeviceLostContext();
    if (!handler) return;
    state.SetInsideDeviceCallbacks(true);
    handler(context);
    state.SetInsideDeviceCallbacks(false);
}

HRESULT CallDeviceCreated(IDirect3DDevice9* device) {
    FrameworkState& state = GetFrameworkState();
    DeviceCreatedCallback handler = state.GetDeviceCreatedHandler();
    void* context = state.GetDeviceCreatedContext();
    if (!handler) return S_OK;
    state.SetInsideDeviceCallbacks(true);
    HRESULT hr = handler(device, &state.GetBackBufferDesc(), context);
    state.SetInsideDeviceCallbacks(false);
    return hr;
}

HRESULT CallDeviceReset(IDirect3DDevice9* device) {
    FrameworkState& state = GetFrameworkState();
    DeviceResetCallback handler = state.GetDeviceResetHandler();
    void* context = state.GetDeviceResetContext();
    if (!handler) return S_OK;
    state.SetInsideDeviceCallbacks(true);
    HRESULT hr = handler(device, &state.GetBackBufferDesc(), context);
    state.SetInsideDeviceCallbacks(false);
    return hr;
}

HRESULT MediaMissingOr(HRESULT result, HRESULT otherwise) {
    return result == FWERR_MEDIA_MISSING ? FWERR_MEDIA_MISSING : otherwise;
}

// Exit code 11 marks a program running on the reference rasterizer.
void UpdateReferenceExitCode(D3DDEVTYPE deviceType) {
    FrameworkState& state = GetFrameworkState();
    if (deviceType == D3DDEVTYPE_REF && state.GetExitCode() == 0) {
        state.SetExitCode(11);
    } else if (deviceType == D3DDEVTYPE_HAL && state.GetExitCode() == 11) {
        state.SetExitCode(0);
    }
}

// The application's last word on the settings. Returns S_OK to go on.
HRESULT AskApplication(DeviceSettings* settings, const DeviceSettings* previous) {
    FrameworkState& state = GetFrameworkState();
    AdjustSettingsCallback adjust = state.GetAdjustSettingsHandler();
    void* context = state.GetAdjustSettingsContext();
    if (!adjust) return S_OK;
    D3DCAPS9 caps{};
    IDirect3D9* direct3d = state.GetDirect3D();
    direct3d->GetDeviceCaps(settings->adapterOrdinal, settings->deviceType, &caps);
    if (!adjust(settings, &caps, context)) {
        if (!previous) ShowFrameworkError(FWERR_NO_USABLE_DEVICE);
        return E_ABORT;
    }
    if (!state.GetDirect3D()) return S_FALSE;
    return S_OK;
}

void DiscardCurrentSettings() {
    FrameworkState& state = GetFrameworkState();
    DeviceSettings* settings = state.GetCurrentSettings();
    state.SetCurrentSettings(nullptr);
    delete settings;
}

void EndChange() {
    GetFrameworkState().SetIgnoreSizeChange(false);
    PauseFramework(false, false);
}

// SwitchDevice, with the command-line overrides applied to a first device
// request only when `applyOverrides` is set.
HRESULT ChangeDevice(const DeviceSettings* newSettings, IDirect3DDevice9* existingDevice,
                     bool forceRecreate, bool keepWindowOnMonitor, bool applyOverrides) {
    FrameworkState& state = GetFrameworkState();
    if (!newSettings) return E_INVALIDARG;
    DeviceSettings* previous = state.GetCurrentSettings();
    if (!state.GetDirect3D()) return S_FALSE;

    DeviceSettings* next = new (std::nothrow) DeviceSettings(*newSettings);
    if (!next) return E_OUTOFMEMORY;
    HRESULT hr = AskApplication(next, previous);
    if (hr != S_OK) {
        delete next;
        return hr;
    }

    state.SetCurrentSettings(next);
    PauseFramework(true, true);
    state.SetIgnoreSizeChange(true);
    state.SetLockEnabled((next->behaviorFlags & D3DCREATE_MULTITHREADED) != 0);
    if (applyOverrides && !existingDevice && !previous) ApplyDeviceOverrides(next);

    const bool windowed = IsWindowed(next);
    const bool keepWindowSize = windowed && next->presentParams.BackBufferWidth == 0 &&
                                next->presentParams.BackBufferHeight == 0;
    if (windowed) {
        PrepareWindowForWindowed(previous);
    } else {
        PrepareWindowForFullscreen(previous);
    }

    if (NeedsNewDevice(previous, *next, existingDevice, forceRecreate)) {
        if (previous) ReleaseFrameworkDevice(false);
        hr = CreateFrameworkDevice(existingDevice);
        if (FAILED(hr)) {
            delete previous;
            ReleaseFrameworkDevice(true);
            ShowFrameworkError(hr);
            EndChange();
            return hr;
        }
    } else {
        hr = ResetFrameworkDevice();
        if (hr == D3DERR_DEVICELOST) {
            state.SetDeviceLost(true);
        } else if (hr == FWERR_OBJECTS_RESET_FAILED || hr == FWERR_MEDIA_MISSING) {
            delete previous;
            ShowFrameworkError(hr);
            ShutdownFramework(0);
            return hr;
        } else if (FAILED(hr)) {
            // The inner change takes over the previous settings as its own
            // and pauses for itself; this change's pause ends here, or the
            // program would stay paused after a recovered reset.
            state.SetCurrentSettings(previous);
            EndChange();
            hr = SwitchDevice(newSettings, existingDevice, true, keepWindowOnMonitor);
            delete next;
            if (SUCCEEDED(hr)) return S_OK;
            ShutdownFramework(0);
            return FWERR_DEVICE_CREATE_FAILED;
        }
    }

    SetShortcutKeysAllowed(windowed ? state.GetAllowShortcutKeysWhenWindowed()
                                    : state.GetAllowShortcutKeysWhenFullscreen());
    if (IDirect3D9* direct3d = state.GetDirect3D()) {
        state.SetAdapterMonitor(direct3d->GetAdapterMonitor(next->adapterOrdinal));
    }
    if (previous && !previous->presentParams.Windowed && windowed) RestoreWindowedPlacement();

    if (windowed && !keepWindowSize && !FitWindowToBackBuffer(*next, keepWindowOnMonitor)) {
        // The window cannot be made that large: let the back buffer take the
        // client size instead.
        DeviceSettings clientSized{};
        state.CopyCurrentSettings(&clientSized);
        clientSized.presentParams.BackBufferWidth = 0;
        clientSized.presentParams.BackBufferHeight = 0;
        hr = SwitchDevice(&clientSized, nullptr, false, keepWindowOnMonitor);
        if (FAILED(hr)) {
            delete previous;
            ReleaseFrameworkDevice(true);
            EndChange();
            return hr;
        }
    }

    ShowActiveDeviceWindow();
    delete previous;
    EndChange();
    state.SetDeviceCreated(true);
    return S_OK;
}

}  // namespace

HRESULT SwitchDevice(const DeviceSettings* newSettings, IDirect3DDevice9* existingDevice,
                     bool forceRecreate, bool keepWindowOnMonitor) {
    return ChangeDevice(newSettings, existingDevice, forceRecreate, keepWindowOnMonitor, true);
}

HRESULT SwitchToFoundSettings(const DeviceSettings* found, bool keepWindowOnMonitor) {
    return ChangeDevice(found, nullptr, false, keepWindowOnMonitor, false);
}

HRESULT CreateFrameworkDevice(IDirect3DDevice9* existingDevice) {
    FrameworkState& state = GetFrameworkState();
    DeviceSettings* settings = state.GetCurrentSettings();
    IDirect3D9* direct3d = state.GetDirect3D();
    if (!settings || !direct3d) return FWERR_DEVICE_CREATE_FAILED;

    IDirect3DDevice9* device = existingDevice;
    if (!device) {
        HRESULT hr = direct3d->CreateDevice(settings->adapterOrdinal, settings->deviceType,
                                            state.GetFocusWindow(), settings->behaviorFlags,
                                            &settings->presentParams, &device);
        if (hr == D3DERR_DEVICELOST) {
            state.SetDeviceLost(true);
            return S_OK;
        }
        if (FAILED(hr) || !device) return FWERR_DEVICE_CREATE_FAILED;
    } else {
        device->AddRef();
    }
    state.SetDevice(device);
    UpdateReferenceExitCode(settings->deviceType);

    RefreshBackBufferDesc();
    ApplyCursorSettings();
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    state.SetDeviceCaps(caps);

    HRESULT hr = CallDeviceCreated(device);
    if (!state.GetDevice()) return E_FAIL;
    if (FAILED(hr)) return MediaMissingOr(hr, FWERR_OBJECTS_CREATE_FAILED);
    state.SetDeviceObjectsCreated(true);

    hr = CallDeviceReset(device);
    if (!state.GetDevice()) return E_FAIL;
    if (FAILED(hr)) return MediaMissingOr(hr, FWERR_OBJECTS_RESET_FAILED);
    state.SetDeviceObjectsReset(true);
    return S_OK;
}

HRESULT ResetFrameworkDevice() {
    FrameworkState& state = GetFrameworkState();
    IDirect3DDevice9* device = state.GetDevice();
    DeviceSettings* settings = state.GetCurrentSettings();
    if (!device || !settings) return FWERR_DEVICE_RESET_FAILED;

    if (state.GetDeviceObjectsReset()) {
        CallDeviceLost();
        state.SetDeviceObjectsReset(false);
    }
    HRESULT hr = device->Reset(&settings->presentParams);
    if (hr == D3DERR_DEVICELOST) return hr;
    if (FAILED(hr)) return FWERR_DEVICE_RESET_FAILED;

    RefreshBackBufferDesc();
    ApplyCursorSettings();
    hr = CallDeviceReset(device);
    if (FAILED(hr)) {
        CallDeviceLost();
        return MediaMissingOr(hr, FWERR_OBJECTS_RESET_FAILED);
    }
    state.SetDeviceObjectsReset(true);
    return S_OK;
}

void ReleaseFrameworkDevice(bool freeSettings) {
    FrameworkState& state = GetFrameworkState();
    IDirect3DDevice9* device = state.GetDevice();
    if (!device) {
        // Settings can outlive a device that was never made (a failed or lost
        // creation); they are freed all the same, or nothing would free them.
        if (freeSettings) DiscardCurrentSettings();
        return;
    }

    state.SetInsideDeviceCallbacks(true);
    if (state.GetDeviceObjectsReset()) {
        if (DeviceLostCallback lost = state.GetDeviceLostHandler()) {
            lost(state.GetDeviceLostContext());
        }
        state.SetDeviceObjectsReset(false);
    }
    if (state.GetDeviceObjectsCreated()) {
        if (DeviceDestroyedCallback destroyed = state.GetDeviceDestroyedHandler()) {
            destroyed(state.GetDeviceDestroyedContext());
        }
        state.SetDeviceObjectsCreated(false);
    }
    state.SetInsideDeviceCallbacks(false);

    const ULONG references = device->Release();
    if (references != 0) ShowFrameworkError(FWERR_DEVICE_STILL_REFERENCED);

    state.SetDevice(nullptr);
    if (freeSettings) DiscardCurrentSettings();
    const D3DSURFACE_DESC noDesc{};
    state.SetBackBufferDesc(noDesc);
    const D3DCAPS9 noCaps{};
    state.SetDeviceCaps(noCaps);
    state.SetDeviceCreated(false);
}

void ApplyDeviceOverrides(DeviceSettings* settings) {
    FrameworkState& state = GetFrameworkState();
    if (state.GetOverrideAdapter() != -1) {
        settings->adapterOrdinal = static_cast<UINT>(state.GetOverrideAdapter());
    }
    if (state.GetOverrideFullscreen()) settings->presentParams.Windowed = FALSE;
    if (state.GetOverrideWindowed()) settings->presentParams.Windowed = TRUE;
    if (state.GetForceRef()) {
        settings->deviceType = D3DDEVTYPE_REF;
    } else if (state.GetForceHal()) {
        settings->deviceType = D3DDEVTYPE_HAL;
    }
    if (state.GetOverrideWidth() != 0) {
        settings->presentParams.BackBufferWidth = static_cast<UINT>(state.GetOverrideWidth());
    }
    if (state.GetOverrideHeight() != 0) {
        settings->presentParams.BackBufferHeight = static_cast<UINT>(state.GetOverrideHeight());
    }

    DWORD vertexProcessing = 0;
    if (state.GetForcePureHwvp()) {
        vertexProcessing = D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING;
    } else if (state.GetForceHwvp()) {
        vertexProcessing = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    } else if (state.GetForceSwvp()) {
        vertexProcessing = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    }
    if (vertexProcessing != 0) {
        const DWORD cleared = D3DCREATE_PUREDEVICE | D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                              D3DCREATE_HARDWARE_VERTEXPROCESSING;
        settings->behaviorFlags = (settings->behaviorFlags & ~cleared) | vertexProcessing;
    }
}

void RefreshBackBufferDesc() {
    FrameworkState& state = GetFrameworkState();
    D3DSURFACE_DESC desc{};
    IDirect3DDevice9* device = state.GetDevice();
    IDirect3DSurface9* backBuffer = nullptr;
    if (device && SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) &&
        backBuffer) {
        backBuffer->GetDesc(&desc);
        backBuffer->Release();
    }
    state.SetBackBufferDesc(desc);
}
