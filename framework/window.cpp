// The framework's one top-level window and the check that keeps the back
// buffer the size of its client area.
#include "framework/window.h"

#include <windows.h>
#include <shellapi.h>

#include "device/device_change.h"
#include "device/device_window.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"

namespace {

// The standard arrow (IDC_ARROW) as a wide resource name, whatever the
// build's default character set.
#define ARROW_CURSOR_RESOURCE MAKEINTRESOURCEW(32512)
constexpr int kDefaultClientWidth = 640;
constexpr int kDefaultClientHeight = 480;

// The last error as a result code. A call that failed without recording an
// error must still be reported as a failure, so 0 becomes E_FAIL.
HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

HICON FirstIconOfProgram(HINSTANCE instance) {
    WCHAR path[MAX_PATH];
    path[0] = 0;
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return ExtractIconW(instance, path, 0);
}

bool RegisterWindowClass(HINSTANCE instance, HICON icon, HRESULT* failure) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = FrameworkWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, ARROW_CURSOR_RESOURCE);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kFrameworkWindowClass;
    if (RegisterClassW(&windowClass)) return true;
    // A class left registered by an earlier window of this process is reused.
    if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    *failure = LastErrorResult();
    return false;
}

// The command line's position overrides, and whether the system chooses.
void ApplyPositionOverrides(FrameworkState& state, int* x, int* y) {
    if (state.GetOverrideStartX() != -1) *x = state.GetOverrideStartX();
    if (state.GetOverrideStartY() != -1) *y = state.GetOverrideStartY();
    state.SetWindowAtDefaultPosition(*x == CW_USEDEFAULT && *y == *x);
}

// The window rectangle whose client area is the requested back buffer.
RECT WindowRectForClientSize(FrameworkState& state, bool hasMenu) {
    const int width =
        state.GetOverrideWidth() != 0 ? state.GetOverrideWidth() : kDefaultClientWidth;
    const int height =
        state.GetOverrideHeight() != 0 ? state.GetOverrideHeight() : kDefaultClientHeight;
    RECT rect;
    SetRect(&rect, 0, 0, width, height);
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, hasMenu ? TRUE : FALSE);
    return rect;
}

}  // namespace

HRESULT CreateFrameworkWindow(const WCHAR* title, HINSTANCE instance, HICON icon, HMENU menu, int x,
                              int y) {
    FrameworkState& state = GetFrameworkState();
    if (state.GetInsideDeviceCallbacks()) return E_FAIL;
    state.SetWindowCreateCalled(true);

    if (!state.GetInitialized()) {
        // A failed initialization has shown its error; trying again would
        // show it twice.
        if (state.GetInitCalled()) return E_FAIL;
        const HRESULT result = InitFramework(true, true, true, true);
        if (FAILED(result)) return result;
    }

    if (state.GetFocusWindow()) return S_OK;

    if (!instance) instance = GetModuleHandleW(nullptr);
    state.SetInstance(instance);
    if (!icon) icon = FirstIconOfProgram(instance);

    HRESULT failure = S_OK;
    if (!RegisterWindowClass(instance, icon, &failure)) return failure;

    ApplyPositionOverrides(state, &x, &y);
    const RECT rect = WindowRectForClientSize(state, menu != nullptr);
    state.SetWindowTitle(title);

    // Not shown yet: the device change shows it once it has its final size.
    HWND window =
        CreateWindowExW(0, kFrameworkWindowClass, title, WS_OVERLAPPEDWINDOW, x, y,
                        RectExtent(rect.left, rect.right), RectExtent(rect.top, rect.bottom),
                        nullptr, menu, instance, nullptr);
    if (!window) return LastErrorResult();

    state.SetWindowCreated(true);
    state.SetFocusWindow(window);
    state.SetFullscreenDeviceWindow(window);
    state.SetWindowedDeviceWindow(window);
    return S_OK;
}

void CheckWindowSizeChange() {
    FrameworkState& state = GetFrameworkState();
    if (state.GetIgnoreSizeChange() || !state.GetDeviceCreated() || !InWindowedMode()) return;

    RECT client{};
    GetClientRect(ActiveDeviceWindow(), &client);
    DeviceSettings settings;
    state.CopyCurrentSettings(&settings);
    if (static_cast<UINT>(client.right) == settings.presentParams.BackBufferWidth &&
        static_cast<UINT>(client.bottom) == settings.presentParams.BackBufferHeight) {
        return;
    }
    // Zero asks the device for the size of the window's client area.
    settings.presentParams.BackBufferWidth = 0;
    settings.presentParams.BackBufferHeight = 0;
    SwitchDevice(&settings, nullptr, false, false);
}
