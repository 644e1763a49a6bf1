// Construction, locking and teardown of the framework's process-wide state.
#include "framework/framework_state.h"

#include <cstdlib>
#include <cstring>

#include "framework/bounded_copy.h"
#include "framework/main_loop.h"

FrameworkState::FrameworkState() {
    InitializeCriticalSection(&stateLock);
}

FrameworkState::~FrameworkState() = default;

void FrameworkState::Lock() {
    if (lockEnabled) EnterCriticalSection(&stateLock);
}

// The flag is read again for the release, as the accessors are specified to
// do; a change of the flag between lock and unlock is the caller's affair.
void FrameworkState::Unlock() {
    if (lockEnabled) LeaveCriticalSection(&stateLock);
}

void FrameworkState::DeleteStateLock() {
    lockEnabled = false;
    DeleteCriticalSection(&stateLock);
}

D3DSURFACE_DESC& FrameworkState::GetBackBufferDesc() {
    Lock();
    D3DSURFACE_DESC& desc = backBufferDesc;
    Unlock();
    return desc;
}

void FrameworkState::SetBackBufferDesc(const D3DSURFACE_DESC& desc) {
    Lock();
    backBufferDesc = desc;
    Unlock();
}

D3DCAPS9& FrameworkState::GetDeviceCaps() {
    Lock();
    D3DCAPS9& caps = deviceCaps;
    Unlock();
    return caps;
}

void FrameworkState::SetDeviceCaps(const D3DCAPS9& caps) {
    Lock();
    deviceCaps = caps;
    Unlock();
}

WINDOWPLACEMENT& FrameworkState::GetWindowedPlacement() {
    Lock();
    WINDOWPLACEMENT& placement = windowedPlacement;
    Unlock();
    return placement;
}

void FrameworkState::SetWindowedPlacement(const WINDOWPLACEMENT& placement) {
    Lock();
    windowedPlacement = placement;
    Unlock();
}

const WCHAR* FrameworkState::GetWindowTitle() {
    Lock();
    const WCHAR* title = windowTitle;
    Unlock();
    return title;
}

void FrameworkState::SetWindowTitle(const WCHAR* title) {
    Lock();
    BoundedCopyWide(windowTitle, kFrameworkStringLength, title ? title : L"");
    Unlock();
}

void FrameworkState::CopyCurrentSettings(DeviceSettings* out) {
    Lock();
    if (currentSettings) {
        *out = *currentSettings;
    } else {
        std::memset(out, 0, sizeof(*out));
    }
    Unlock();
}

namespace {

FrameworkState* frameworkState = nullptr;

// Runs once at process exit: shuts the framework down, then deletes the lock.
// Locking is switched off with it, so anything that still reads the state
// afterwards (other exit handlers) does not touch a deleted lock.
void TeardownFrameworkState() {
    ShutdownFramework(0);
    frameworkState->DeleteStateLock();
}

}  // namespace

FrameworkState& GetFrameworkState() {
    if (!frameworkState) {
        frameworkState = new FrameworkState();
        std::atexit(TeardownFrameworkState);
    }
    return *frameworkState;
}

bool InWindowedMode() {
    DeviceSettings* settings = GetFrameworkState().GetCurrentSettings();
    return settings && settings->presentParams.Windowed != 0;
}

HWND ActiveDeviceWindow() {
    FrameworkState& state = GetFrameworkState();
    return InWindowedMode() ? state.GetWindowedDeviceWindow() : state.GetFullscreenDeviceWindow();
}
