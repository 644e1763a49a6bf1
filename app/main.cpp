// The program's entry: wires the scene and the renderer into the framework,
// runs the main loop, releases what the application still holds and returns
// the framework's exit code.
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <string>

#include "app/scene.h"
#include "app/usage.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework/main_loop.h"
#include "framework/shortcut_keys.h"
#include "framework/window.h"
#include "renderer/application_callbacks.h"
#include "renderer/render_resources.h"
#include "renderer/statistics.h"

namespace {

// Reports the highest and lowest frame rates seen to the debugger output.
void ReportFrameRateExtremes() {
    const std::wstring text =
        L"Max FPS: " + std::to_wstring(static_cast<int>(frameRateExtremes.highest)) +
        L". Min FPS: " + std::to_wstring(static_cast<int>(frameRateExtremes.lowest)) + L"\n";
    OutputDebugStringW(text.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    RegisterApplicationCallbacks();

    // Each step refuses to run after an earlier failure, which has then
    // already been shown; the results are not needed here.
    InitFramework(true, true, true, true);
    // Asked for the usage (--help, -?, /?): show it and start nothing.
    if (GetFrameworkState().GetUsageRequested()) {
        ShowUsage();
        return 0;
    }
    ConfigureFullscreenCursor(true, true);
    CreateFrameworkWindow(L"Orvantis", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT);
    CreateDefaultDevice(0, true, 640, 480, AcceptDevice, AdjustDeviceSettings, nullptr);
    RunMainLoop(nullptr);

    // What the framework has not released yet (after a normal close the
    // device and the scene still exist): the device-dependent objects first,
    // then the lights and the meshes, in the order of the release callbacks.
    ReleaseRenderResources(nullptr);
    ReleaseScene(nullptr);
    ReportFrameRateExtremes();

    return GetFrameworkState().GetExitCode();
}
