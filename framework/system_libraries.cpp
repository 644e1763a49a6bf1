// Direct3D, the controller library and the multi-monitor functions, looked up
// at run time. Each module stays loaded for the life of the process.
#include "framework/system_libraries.h"

#include <windows.h>
#include <shellapi.h>

#include "framework/system_path.h"

namespace {

// The two motor speeds of a controller's vibration state.
struct ControllerVibration {
    WORD leftMotorSpeed;
    WORD rightMotorSpeed;
};

typedef IDirect3D9*(WINAPI* Direct3DCreate9Function)(UINT sdkVersion);
typedef DWORD(WINAPI* XInputSetStateFunction)(DWORD userIndex, ControllerVibration* vibration);
typedef HMONITOR(WINAPI* MonitorFromWindowFunction)(HWND window, DWORD flags);
typedef BOOL(WINAPI* GetMonitorInfoFunction)(HMONITOR monitor, LPMONITORINFO info);

constexpr DWORD kControllerCount = 4;
constexpr DWORD kMonitorDefaultMask = MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST;

Direct3DCreate9Function direct3DCreate9 = nullptr;
bool direct3DLoaded = false;
XInputSetStateFunction xinputSetState = nullptr;

// Loads d3d9 from the system directory; a failed attempt is tried again on
// the next call.
void LoadDirect3D() {
    WCHAR path[kSystemPathCapacity];
    if (!BuildSystemLibraryPath(L"d3d9.dll", path)) return;
    HMODULE d3d9 = LoadLibraryW(path);
    if (!d3d9) return;
    direct3DLoaded = true;
    direct3DCreate9 = LookUpEntryPoint<Direct3DCreate9Function>(d3d9, "Direct3DCreate9");
}

void LoadControllerLibrary() {
    WCHAR path[kSystemPathCapacity];
    if (!BuildSystemLibraryPath(L"xinput9_1_0.dll", path)) return;
    HMODULE xinput = LoadLibraryW(path);
    if (!xinput) return;
    xinputSetState = LookUpEntryPoint<XInputSetStateFunction>(xinput, "XInputSetState");
}

// user32 is always loaded in a windowed program; it is asked, never loaded.
MonitorFromWindowFunction MonitorFromWindowEntryPoint() {
    static const MonitorFromWindowFunction entryPoint = LookUpEntryPoint<MonitorFromWindowFunction>(
        GetModuleHandleW(L"USER32"), "MonitorFromWindow");
    return entryPoint;
}

bool PlatformIsNt() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

GetMonitorInfoFunction GetMonitorInfoEntryPoint() {
    static const GetMonitorInfoFunction entryPoint = LookUpEntryPoint<GetMonitorInfoFunction>(
        GetModuleHandleW(L"USER32"), PlatformIsNt() ? "GetMonitorInfoW" : "GetMonitorInfoA");
    return entryPoint;
}

}  // namespace

IDirect3D9* CreateDirect3D(UINT sdkVersion) {
    if (!direct3DLoaded) LoadDirect3D();
    return direct3DCreate9 ? direct3DCreate9(sdkVersion) : nullptr;
}

HRESULT StopControllerRumble() {
    if (!xinputSetState) LoadControllerLibrary();
    if (!xinputSetState) return E_FAIL;
    ControllerVibration stopped{0, 0};
    for (DWORD userIndex = 0; userIndex < kControllerCount; ++userIndex) {
        xinputSetState(userIndex, &stopped);
    }
    return S_OK;
}

HMONITOR PrimaryMonitorFallback(DWORD flags) {
    return (flags & kMonitorDefaultMask) ? PRIMARY_MONITOR_SENTINEL : nullptr;
}

BOOL PrimaryMonitorInfoFallback(HMONITOR monitor, LPMONITORINFO info) {
    if (monitor != PRIMARY_MONITOR_SENTINEL || !info || info->cbSize < sizeof(MONITORINFO)) {
        return FALSE;
    }
    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) return FALSE;
    SetRect(&info->rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    info->rcWork = workArea;
    info->dwFlags = MONITORINFOF_PRIMARY;
    return TRUE;
}

HMONITOR MonitorFromWindowShim(HWND window, DWORD flags) {
    MonitorFromWindowFunction monitorFromWindow = MonitorFromWindowEntryPoint();
    return monitorFromWindow ? monitorFromWindow(window, flags) : PrimaryMonitorFallback(flags);
}

BOOL GetMonitorInfoShim(HMONITOR monitor, LPMONITORINFO info) {
    GetMonitorInfoFunction getMonitorInfo = GetMonitorInfoEntryPoint();
    return getMonitorInfo ? getMonitorInfo(monitor, info)
                          : PrimaryMonitorInfoFallback(monitor, info);
}

bool RelaunchMediaShell() {
    if (GetSystemMetrics(SM_MEDIACENTER) == 0) return false;
    WCHAR path[MAX_PATH];
    const DWORD length =
        ExpandEnvironmentStringsW(L"%SystemRoot%\\ehome\\ehshell.exe", path, MAX_PATH);
    // The result counts the terminator; more than the buffer means it was cut.
    if (length == 0 || length > MAX_PATH) return false;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return false;
    HINSTANCE result = ShellExecuteW(nullptr, L"open", path, nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
