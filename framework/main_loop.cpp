// The first device, the message loop and the orderly shutdown.
#include "framework/main_loop.h"

#include <d3d9.h>

#include "device/device_change.h"
#include "device/device_enumeration.h"
#include "device/settings_search.h"
#include "framework/error_display.h"
#include "framework/framework_state.h"
#include "framework/shortcut_keys.h"
#include "framework/system_libraries.h"
#include "framework/window.h"

namespace {

// The main loop did not run: a normal or reference-device exit code becomes 1.
HRESULT MainLoopFailed() {
    FrameworkState& state = GetFrameworkState();
    const int32_t code = state.GetExitCode();
    if (code == 0 || code == 11) state.SetExitCode(1);
    return E_FAIL;
}

// The command-line overrides, in the order in which later ones win.
void ApplyCommandLineRequest(DeviceSettings* settings, MatchRules* rules) {
    FrameworkState& state = GetFrameworkState();
    D3DPRESENT_PARAMETERS& params = settings->presentParams;
    const int32_t width = state.GetOverrideWidth();
    const int32_t height = state.GetOverrideHeight();
    if (width != 0) params.BackBufferWidth = static_cast<UINT>(width);
    if (height != 0) params.BackBufferHeight = static_cast<UINT>(height);
    if (state.GetOverrideAdapter() != -1) {
        settings->adapterOrdinal = static_cast<UINT>(state.GetOverrideAdapter());
    }
    if (state.GetOverrideFullscreen()) {
        params.Windowed = FALSE;
        if (width == 0 && height == 0) rules->resolution = Free;
    }
    if (state.GetOverrideWindowed()) params.Windowed = TRUE;
    if (state.GetForceHal()) {
        settings->deviceType = D3DDEVTYPE_HAL;
        rules->deviceType = Keep;
    }
    if (state.GetForceRef()) {
        settings->deviceType = D3DDEVTYPE_REF;
        rules->deviceType = Keep;
    }
    if (state.GetForcePureHwvp()) {
        settings->behaviorFlags = D3DCREATE_PUREDEVICE | D3DCREATE_HARDWARE_VERTEXPROCESSING;
        rules->vertexProcessing = Keep;
    } else if (state.GetForceHwvp()) {
        settings->behaviorFlags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        rules->vertexProcessing = Keep;
    } else if (state.GetForceSwvp()) {
        settings->behaviorFlags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        rules->vertexProcessing = Keep;
    }
    if (state.GetOverrideVsync() == 0) {
        params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        rules->presentInterval = Keep;
    } else if (state.GetOverrideVsync() == 1) {
        params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
        rules->presentInterval = Keep;
    }
}

void DispatchOneMessage(MSG* message, HACCEL accelerators, HWND window) {
    if (accelerators && window && TranslateAcceleratorW(window, accelerators, message)) return;
    TranslateMessage(message);
    DispatchMessageW(message);
}

}  // namespace

HRESULT CreateDefaultDevice(UINT adapter, bool windowed, int width, int height,
                            AcceptDeviceCallback acceptDevice,
                            AdjustSettingsCallback adjustSettings, void* context) {
    FrameworkState& state = GetFrameworkState();
    if (state.GetInsideDeviceCallbacks()) return E_FAIL;

    state.SetAcceptDeviceHandler(acceptDevice);
    state.SetAcceptDeviceContext(context);
    state.SetAdjustSettingsHandler(adjustSettings);
    state.SetAdjustSettingsContext(context);
    state.SetDeviceCreateCalled(true);

    if (!state.GetWindowCreated()) {
        if (state.GetWindowCreateCalled()) return E_FAIL;
        HRESULT hr = CreateFrameworkWindow(L"Direct3D Window", nullptr, nullptr, nullptr,
                                           CW_USEDEFAULT, CW_USEDEFAULT);
        if (FAILED(hr)) return hr;
    }

    GetDeviceEnumeration(true);

    MatchRules rules{};
    rules.adapterOrdinal = Keep;
    rules.windowed = Keep;
    rules.resolution = (windowed || (width != 0 && height != 0)) ? Nearest : Free;

    DeviceSettings settings{};
    settings.adapterOrdinal = adapter;
    settings.presentParams.Windowed = windowed ? TRUE : FALSE;
    settings.presentParams.BackBufferWidth = static_cast<UINT>(width);
    settings.presentParams.BackBufferHeight = static_cast<UINT>(height);
    ApplyCommandLineRequest(&settings, &rules);

    HRESULT hr = FindValidSettings(&settings, &settings, &rules);
    if (FAILED(hr)) {
        ShowFrameworkError(hr);
        return hr;
    }
    hr = SwitchToFoundSettings(&settings, true);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT RunMainLoop(HACCEL accelerators) {
    FrameworkState& state = GetFrameworkState();
    if (state.GetInsideDeviceCallbacks() || state.GetInsideMainLoop()) return MainLoopFailed();
    state.SetInsideMainLoop(true);

    if (!state.GetDeviceCreated()) {
        if (state.GetDeviceCreateCalled()) return MainLoopFailed();
        HRESULT hr = CreateDefaultDevice(0, true, 0, 0, nullptr, nullptr, nullptr);
        if (FAILED(hr)) {
            MainLoopFailed();
            return hr;
        }
    }

    const HWND window = ActiveDeviceWindow();
    if (!state.GetInitialized() || !state.GetWindowCreated() || !state.GetDeviceCreated()) {
        return MainLoopFailed();
    }

    MSG message{};
    message.message = WM_NULL;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    while (message.message != WM_QUIT) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchOneMessage(&message, accelerators, window);
        } else {
            RenderOneFrame();
        }
    }

    if (accelerators) DestroyAcceleratorTable(accelerators);
    state.SetInsideMainLoop(false);
    return S_OK;
}

void ShutdownFramework(int exitCode) {
    FrameworkState& state = GetFrameworkState();
    if (HWND window = ActiveDeviceWindow()) SendMessageW(window, WM_CLOSE, 0, 0);
    state.SetExitCode(exitCode);

    ReleaseFrameworkDevice(true);
    SetShortcutKeysAllowed(true);
    state.SetEnumeration(nullptr);

    if (IDirect3D9* direct3d = state.GetDirect3D()) {
        state.SetDirect3D(nullptr);
        direct3d->Release();
    }
    if (state.GetRelaunchMediaShellAtExit()) RelaunchMediaShell();
}
