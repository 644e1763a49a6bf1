// The device changes the window procedure asks for: following the window to
// another monitor's adapter, windowed/fullscreen and HAL/REF switches.
#include <windows.h>
#include <d3d9.h>

#include "device/device_change.h"
#include "device/device_enumeration.h"
#include "device/settings_search.h"
#include "framework/framework_state.h"
#include "framework/main_loop.h"
#include "framework/pausing.h"
#include "framework/system_libraries.h"

namespace {

MatchRules AllRules(MatchRule rule) {
    return MatchRules{rule, rule, rule, rule, rule, rule, rule, rule,
                      rule, rule, rule, rule, rule, rule, rule};
}

// The back-buffer size remembered for the mode a toggle goes to; resolution
// Nearest to it when one is remembered, else Free.
void ChooseToggleSize(DeviceSettings* settings, MatchRules* rules) {
    FrameworkState& state = GetFrameworkState();
    const bool goingWindowed = settings->presentParams.Windowed != 0;
    const int32_t width =
        goingWindowed ? state.GetWindowedWidthAtSwitch() : state.GetFullscreenWidthAtSwitch();
    const int32_t height =
        goingWindowed ? state.GetWindowedHeightAtSwitch() : state.GetFullscreenHeightAtSwitch();
    if (width > 0 && height > 0) {
        rules->resolution = Nearest;
        settings->presentParams.BackBufferWidth = static_cast<UINT>(width);
        settings->presentParams.BackBufferHeight = static_cast<UINT>(height);
    } else {
        rules->resolution = Free;
    }
}

BOOL InvertedWindowed(BOOL windowed) {
    return windowed == 0 ? TRUE : FALSE;
}

D3DDEVTYPE SwappedDeviceType(D3DDEVTYPE type) {
    if (type == D3DDEVTYPE_HAL) return D3DDEVTYPE_REF;
    if (type == D3DDEVTYPE_REF) return D3DDEVTYPE_HAL;
    return type;
}

}  // namespace

HRESULT FindAdapterForMonitor(HMONITOR monitor, UINT* adapterOrdinal) {
    IDirect3D9* direct3d = GetFrameworkState().GetDirect3D();
    DeviceEnumeration* enumeration = GetDeviceEnumeration(false);
    if (!direct3d || !adapterOrdinal) return E_FAIL;
    for (EnumeratedAdapter* adapter : enumeration->Adapters()) {
        if (direct3d->GetAdapterMonitor(adapter->adapterOrdinal) == monitor) {
            *adapterOrdinal = adapter->adapterOrdinal;
            return S_OK;
        }
    }
    return E_FAIL;
}

void CheckAdapterMonitor() {
    FrameworkState& state = GetFrameworkState();
    if (!state.GetAutoChangeAdapter() || state.GetIgnoreSizeChange() || !state.GetDeviceCreated() ||
        !InWindowedMode()) {
        return;
    }
    const HMONITOR monitor = MonitorFromWindowShim(ActiveDeviceWindow(), MONITOR_DEFAULTTOPRIMARY);
    if (monitor == state.GetAdapterMonitor()) return;
    UINT ordinal = 0;
    if (FAILED(FindAdapterForMonitor(monitor, &ordinal))) return;

    DeviceSettings settings{};
    state.CopyCurrentSettings(&settings);
    settings.adapterOrdinal = ordinal;
    MatchRules rules = AllRules(Nearest);
    rules.adapterOrdinal = Keep;
    if (FAILED(FindValidSettings(&settings, &settings, &rules))) return;

    HRESULT hr = SwitchDevice(&settings, nullptr, false, false);
    if (hr == E_ABORT) {
        // The application refused; stop following the window across monitors.
        state.SetAutoChangeAdapter(false);
    } else if (FAILED(hr)) {
        ShutdownFramework(0);
        PauseFramework(false, false);
    }
}

HRESULT ToggleWindowedMode() {
    FrameworkState& state = GetFrameworkState();
    DeviceSettings settings{};
    state.CopyCurrentSettings(&settings);
    settings.presentParams.Windowed = InvertedWindowed(settings.presentParams.Windowed);

    MatchRules rules = AllRules(Nearest);
    rules.adapterOrdinal = Keep;
    rules.windowed = Keep;
    rules.adapterFormat = Free;
    rules.backBufferFormat = Free;
    rules.refreshRate = Free;
    ChooseToggleSize(&settings, &rules);

    HRESULT hr = FindValidSettings(&settings, &settings, &rules);
    if (FAILED(hr)) return hr;
    hr = SwitchDevice(&settings, nullptr, false, false);
    if (SUCCEEDED(hr) || hr == E_ABORT) return hr;

    // Go back to the mode we came from; if even that fails, stop.
    settings.presentParams.Windowed = InvertedWindowed(settings.presentParams.Windowed);
    ChooseToggleSize(&settings, &rules);
    FindValidSettings(&settings, &settings, &rules);
    if (FAILED(SwitchDevice(&settings, nullptr, false, false))) ShutdownFramework(0);
    return hr;
}

HRESULT ToggleReferenceDevice() {
    FrameworkState& state = GetFrameworkState();
    DeviceSettings settings{};
    state.CopyCurrentSettings(&settings);
    settings.deviceType = SwappedDeviceType(settings.deviceType);

    MatchRules rules = AllRules(Nearest);
    rules.adapterOrdinal = Keep;
    rules.deviceType = Keep;

    HRESULT hr = FindValidSettings(&settings, &settings, &rules);
    if (FAILED(hr)) return hr;
    hr = SwitchDevice(&settings, nullptr, false, false);
    if (SUCCEEDED(hr) || hr == E_ABORT) return hr;

    settings.deviceType = SwappedDeviceType(settings.deviceType);
    FindValidSettings(&settings, &settings, &rules);
    if (FAILED(SwitchDevice(&settings, nullptr, false, false))) ShutdownFramework(0);
    return hr;
}
