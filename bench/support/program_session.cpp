#include "program_session.h"

#include <windows.h>

#include <cstdlib>

#include "app/scene.h"
#include "common/process_heap.h"
#include "d3d9/library_registration.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"
#include "framework/main_loop.h"
#include "framework/window.h"
#include "renderer/application_callbacks.h"
#include "renderer/render_resources.h"

namespace kl::bench {

namespace {

MessageCallback programMessageHandler = nullptr;

// Some measurements use frames smaller than the framework's smallest window
// (its WM_GETMINMAXINFO answer, which the window layer holds to as Windows
// does). The harness lowers that limit and passes every other message on to
// the program's own handler.
LRESULT CALLBACK SmallWindowMessageHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           bool* noFurtherProcessing, void* context) {
    if (message == WM_GETMINMAXINFO) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{1, 1};
        *noFurtherProcessing = true;
        return 0;
    }
    if (!programMessageHandler) return 0;
    return programMessageHandler(window, message, wParam, lParam, noFurtherProcessing, context);
}

}  // namespace

bool StartProgram(int width, int height, std::string* error) {
    setenv("KESTRALUNE_HEADLESS", "1", 1);
    // A desktop large enough for every size the benchmarks ask for (the
    // framework fits windows into the monitor's work area).
    setenv("KESTRALUNE_DESKTOP", "1920x1080", 0);
    // The heap as the program's own process entry sets it.
    kl::platform::KeepFreedHeapForReuse();
    kl::d3d9::RegisterDirect3DLibrary();
    RegisterApplicationCallbacks();

    FrameworkState& state = GetFrameworkState();
    programMessageHandler = state.GetMessageHandler();
    SetMessageHookCallback(SmallWindowMessageHandler, state.GetMessageContext());
    if (FAILED(InitFramework(false, false, true, false)) ||
        FAILED(CreateFrameworkWindow(L"Orvantis", nullptr, nullptr, nullptr, CW_USEDEFAULT,
                                     CW_USEDEFAULT)) ||
        FAILED(CreateDefaultDevice(0, true, width, height, AcceptDevice, AdjustDeviceSettings,
                                   nullptr))) {
        *error = "the framework did not start (exit code " + std::to_string(state.GetExitCode()) +
                 "; its message is above)";
        return false;
    }
    if (meshList == nullptr || effect == nullptr) {
        *error = "the scene or the effect did not load (messages above)";
        return false;
    }
    return true;
}

void RenderProgramFrame() {
    RenderOneFrame();
}

IDirect3DDevice9* ProgramDevice() {
    return GetFrameworkState().GetDevice();
}

void StopProgram() {
    ShutdownFramework(0);
    ReleaseRenderResources(nullptr);
    ReleaseScene(nullptr);
}

}  // namespace kl::bench
