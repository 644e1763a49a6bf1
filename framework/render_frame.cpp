// One frame: restore a lost device, advance the clock, call the
// application's update and draw handlers, present.
#include "framework/main_loop.h"

#include <d3d9.h>

#include "device/device_change.h"
#include "device/settings_search.h"
#include "framework/error_display.h"
#include "framework/frame_rate.h"
#include "framework/frame_timer.h"
#include "framework/framework_state.h"

namespace {

constexpr DWORD kIdleSleepMilliseconds = 50;

// After a desktop format change a windowed device needs new settings in the
// new format; everything else about them stays as near as possible.
void RecreateForDesktopFormat(const D3DDISPLAYMODE& desktop) {
    DeviceSettings settings{};
    GetFrameworkState().CopyCurrentSettings(&settings);
    settings.adapterFormat = desktop.Format;
    MatchRules rules{Keep,    Keep,    Keep,    Keep,    Nearest, Nearest, Nearest, Nearest,
                     Nearest, Nearest, Nearest, Nearest, Nearest, Nearest, Nearest};
    if (FAILED(FindValidSettings(&settings, &settings, &rules))) {
        ShowFrameworkError(FWERR_NO_USABLE_DEVICE);
        ShutdownFramework(0);
    }
    if (FAILED(SwitchDevice(&settings, nullptr, false, false)) && FAILED(ToggleWindowedMode())) {
        ShutdownFramework(0);
    }
}

bool DesktopFormatChanged(D3DDISPLAYMODE* desktop) {
    FrameworkState& state = GetFrameworkState();
    DeviceSettings settings{};
    state.CopyCurrentSettings(&settings);
    *desktop = {};
    IDirect3D9* direct3d = state.GetDirect3D();
    if (direct3d) direct3d->GetAdapterDisplayMode(settings.adapterOrdinal, desktop);
    return desktop->Format != settings.adapterFormat;
}

// Returns true when the device is usable again and the frame can go on.
bool RestoreLostDevice(IDirect3DDevice9* device) {
    FrameworkState& state = GetFrameworkState();
    HRESULT hr = device->TestCooperativeLevel();
    if (FAILED(hr)) {
        if (hr == D3DERR_DEVICELOST) return false;

        D3DDISPLAYMODE desktop{};
        if (InWindowedMode() && DesktopFormatChanged(&desktop)) {
            RecreateForDesktopFormat(desktop);
            return false;
        }

        hr = ResetFrameworkDevice();
        if (hr == D3DERR_DEVICELOST) return false;
        if (hr == FWERR_OBJECTS_RESET_FAILED || hr == FWERR_MEDIA_MISSING) {
            ShowFrameworkError(hr);
            ShutdownFramework(0);
            return false;
        }
        if (FAILED(hr)) {
            DeviceSettings settings{};
            state.CopyCurrentSettings(&settings);
            if (FAILED(SwitchDevice(&settings, nullptr, true, false))) {
                ShutdownFramework(0);
                return false;
            }
            // The new device may itself be lost at creation: then there is
            // none yet, the device stays lost and the idle passes retry.
            if (!state.GetDevice()) return false;
        }
    }
    state.SetDeviceLost(false);
    return true;
}

// Application time and frame time; a constant frame time replaces the
// timer's readings so that time advances even while the timer is frozen.
void AdvanceClock(double* time, float* elapsed) {
    FrameworkState& state = GetFrameworkState();
    FrameTimer& timer = GetFrameTimer();
    *time = timer.RunSeconds();
    *elapsed = static_cast<float>(timer.TakeElapsed());
    if (state.GetConstantFrameTimeEnabled()) {
        *elapsed = state.GetConstantFrameTime();
        *time = state.GetCurrentTime() + *elapsed;
    }
    state.SetCurrentTime(*time);
    state.SetElapsedTime(*elapsed);
}

void PresentFrame(IDirect3DDevice9* device) {
    HRESULT hr = device->Present(nullptr, nullptr, nullptr, nullptr);
    if (hr == D3DERR_DEVICELOST || hr == D3DERR_DRIVERINTERNALERROR) {
        GetFrameworkState().SetDeviceLost(true);
    }
}

}  // namespace

void RenderOneFrame() {
    FrameworkState& state = GetFrameworkState();
    if (state.GetDeviceLost() || state.GetRenderingPauseCount() > 0 || !state.GetActive()) {
        Sleep(kIdleSleepMilliseconds);
    }

    IDirect3DDevice9* device = state.GetDevice();
    if (!device) {
        if (state.GetDeviceLost()) {
            DeviceSettings settings{};
            state.CopyCurrentSettings(&settings);
            SwitchDevice(&settings, nullptr, false, true);
        }
        return;
    }
    if (state.GetDeviceLost() && !state.GetRenderingPaused() && !RestoreLostDevice(device)) {
        return;
    }

    double time = 0.0;
    float elapsed = 0.0f;
    AdvanceClock(&time, &elapsed);
    UpdateFrameRate();

    device = state.GetDevice();
    if (FrameUpdateCallback update = state.GetFrameUpdateHandler()) {
        update(device, time, elapsed, state.GetFrameUpdateContext());
        device = state.GetDevice();
        if (!device) return;
    }

    if (!state.GetRenderingPaused()) {
        if (FrameDrawCallback draw = state.GetFrameDrawHandler()) {
            draw(device, time, elapsed, state.GetFrameDrawContext());
            device = state.GetDevice();
            if (!device) return;
        }
        PresentFrame(device);
    }

    state.SetFrameNumber(state.GetFrameNumber() + 1);
    const int32_t quitAfter = state.GetQuitAfterFrame();
    if (quitAfter != 0 && state.GetFrameNumber() > quitAfter) ShutdownFramework(0);
}
