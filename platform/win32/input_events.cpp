// Pumping input into the message queue: signal requests, the display's
// events, the input script's keys that are due (KESTRALUNE_INPUT_SCRIPT), and
// input injected by tests, which takes the same paths as what a
// user does on Windows (the system commands of the caption buttons, a frame
// drag between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE).
#include <functional>
#include <mutex>
#include <vector>

#include "common/frame_script.h"
#include "testing/windows.h"
#include "win32/key_codes.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

struct InjectedInput {
    std::mutex lock;
    std::vector<std::function<void()>> pending;
};

InjectedInput& Injected() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static InjectedInput& input = *new InjectedInput;
    return input;
}

void QueueInput(std::function<void()> action) {
    InjectedInput& input = Injected();
    std::lock_guard<std::mutex> hold(input.lock);
    input.pending.push_back(std::move(action));
}

std::vector<std::function<void()>> TakeInjectedInput() {
    InjectedInput& input = Injected();
    std::lock_guard<std::mutex> hold(input.lock);
    return std::move(input.pending);
}

// The window a close request from a signal goes to: the active one, else the
// first top-level window.
HWND MainWindow() {
    if (const HWND active = ActiveWindow()) return active;
    const std::vector<HWND> windows = TopLevelWindows();
    return windows.empty() ? nullptr : windows.front();
}

HWND WindowToActivate() {
    if (const HWND active = ActiveWindow()) return active;
    for (HWND handle : TopLevelWindows()) {
        if (IsWindowVisible(handle)) return handle;
    }
    return nullptr;
}

}  // namespace

void ResizeByUser(HWND handle, int clientWidth, int clientHeight) {
    const Window* window = WindowFromHandle(handle);
    if (!window || window->minimized || window->maximized) return;
    CallWindowProcedure(handle, WM_ENTERSIZEMOVE, 0, 0);
    window = WindowFromHandle(handle);
    if (!window) return;
    const RECT client = ClientRectInScreen(*window);
    const RECT wanted = WindowRectForClient(
        RECT{client.left, client.top, client.left + clientWidth, client.top + clientHeight},
        *window);
    // SetWindowPos holds the size within the window's tracking limits.
    SetWindowPos(handle, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    if (WindowFromHandle(handle)) CallWindowProcedure(handle, WM_EXITSIZEMOVE, 0, 0);
}

void ProcessMouseMove(HWND handle, int clientX, int clientY) {
    CallWindowProcedure(handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle),
                        MAKELONG(HTCLIENT, WM_MOUSEMOVE));
    if (WindowFromHandle(handle)) PostToQueue(handle, WM_MOUSEMOVE, 0, MAKELONG(clientX, clientY));
}

void PumpPlatformEvents() {
    if (TakeQuitSignal()) {
        if (const HWND window = MainWindow()) PostToQueue(window, WM_CLOSE, 0, 0);
    }
    if (UsingDisplay()) PumpSdlEvents();
    for (const platform::ScriptedKey& key : platform::TakeDueScriptedKeys()) {
        ProcessKeyEvent(KeyFromVirtualKey(key.virtualKey), key.down);
    }
    for (const auto& action : TakeInjectedInput()) action();
}

}  // namespace kl::win32

namespace kl::testing {

using namespace kl::win32;

void InjectKey(UINT virtualKey, bool down) {
    QueueInput([virtualKey, down] { ProcessKeyEvent(KeyFromVirtualKey(virtualKey), down); });
}

void InjectKeyPress(UINT virtualKey) {
    InjectKey(virtualKey, true);
    InjectKey(virtualKey, false);
}

void InjectResize(HWND window, int clientWidth, int clientHeight) {
    QueueInput([=] { ResizeByUser(window, clientWidth, clientHeight); });
}

void InjectMinimize(HWND window) {
    QueueInput([window] { SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); });
}

void InjectMaximize(HWND window) {
    QueueInput([window] { SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0); });
}

void InjectRestore(HWND window) {
    QueueInput([window] { SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0); });
}

void InjectActivation(bool active) {
    QueueInput([active] { SetApplicationActive(active, active ? WindowToActivate() : nullptr); });
}

void InjectClose(HWND window) {
    QueueInput([window] {
        if (WindowFromHandle(window)) PostToQueue(window, WM_CLOSE, 0, 0);
    });
}

void InjectPaint(HWND window) {
    QueueInput([window] {
        if (Window* record = WindowFromHandle(window)) record->needsPaint = true;
    });
}

void InjectMouseMove(HWND window, int clientX, int clientY) {
    QueueInput([=] {
        const Window* record = WindowFromHandle(window);
        if (!record) return;
        const RECT client = ClientRectInScreen(*record);
        SetVirtualCursorPosition(POINT{client.left + clientX, client.top + clientY});
        ProcessMouseMove(window, clientX, clientY);
    });
}

}  // namespace kl::testing
