// Which window is active and whether the application has the focus. On the
// virtual desktop, showing a window activates it and SW_MINIMIZE or hiding it
// passes the activation to "another program"; with a display the window
// manager decides and SDL's focus events report it.
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

struct Activation {
    bool applicationActive = false;
    HWND activeWindow = nullptr;
    uint64_t deactivations = 0;
};

Activation& State() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Activation& state = *new Activation;
    return state;
}

}  // namespace

bool ApplicationActive() {
    return State().applicationActive;
}

uint64_t ApplicationDeactivations() {
    return State().deactivations;
}

HWND ActiveWindow() {
    Activation& state = State();
    if (state.activeWindow && !WindowFromHandle(state.activeWindow)) state.activeWindow = nullptr;
    return state.applicationActive ? state.activeWindow : nullptr;
}

void SetApplicationActive(bool active, HWND window) {
    Activation& state = State();
    if (active && WindowFromHandle(window)) state.activeWindow = window;
    if (state.applicationActive == active) return;
    state.applicationActive = active;
    if (!active) ++state.deactivations;
    for (HWND handle : TopLevelWindows()) {
        CallWindowProcedure(handle, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    }
}

void ForgetActiveWindow(HWND window) {
    Activation& state = State();
    if (state.activeWindow != window) return;
    const bool wasActive = state.applicationActive;
    if (wasActive) SetApplicationActive(false, nullptr);
    state.activeWindow = nullptr;
}

}  // namespace kl::win32
