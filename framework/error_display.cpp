// The framework's error codes turned into messages, message boxes and exit
// codes.
#include "framework/error_display.h"

#include "framework/bounded_copy.h"
#include "framework/framework_state.h"

namespace {

struct FrameworkErrorText {
    HRESULT code;
    int32_t exitCode;
    const WCHAR* message;
};

const FrameworkErrorText kFrameworkErrors[] = {
    {FWERR_DIRECT3D_UNAVAILABLE, 2,
     L"Could not initialize Direct3D. You may want to check that the latest version of DirectX "
     L"is correctly installed on your system.  Also make sure that this program was compiled "
     L"with header files that match the installed DirectX DLLs."},
    {FWERR_NO_USABLE_DEVICE, 3, L"Could not find any compatible Direct3D devices."},
    {FWERR_MEDIA_MISSING, 4,
     L"Could not find required media. Ensure that the DirectX SDK is correctly installed."},
    {FWERR_DEVICE_STILL_REFERENCED, 5,
     L"The D3D device has a non-zero reference count, meaning some objects were not released."},
    {FWERR_DEVICE_CREATE_FAILED, 6, L"Failed creating the Direct3D device."},
    {FWERR_DEVICE_RESET_FAILED, 7, L"Failed resetting the Direct3D device."},
    {FWERR_OBJECTS_CREATE_FAILED, 8, L"Failed creating Direct3D device objects."},
    {FWERR_OBJECTS_RESET_FAILED, 9, L"Failed resetting Direct3D device objects."},
    {FWERR_VERSION_MISMATCH, 10, L"Incorrect version of Direct3D and/or D3DX."},
};

// Direct3D cannot reach a remote desktop's display, which is the usual
// reason no device is found there.
const WCHAR kRemoteSessionMessage[] = L"Direct3D does not work over a remote session.";

// Any code outside the table: the program did not run properly.
constexpr int32_t kUnknownErrorExitCode = 1;

const FrameworkErrorText* FindFrameworkError(HRESULT code) {
    for (const FrameworkErrorText& error : kFrameworkErrors) {
        if (error.code == code) return &error;
    }
    return nullptr;
}

const WCHAR* SelectMessage(const FrameworkErrorText& error) {
    if (error.code == FWERR_NO_USABLE_DEVICE && GetSystemMetrics(SM_REMOTESESSION) != 0) {
        return kRemoteSessionMessage;
    }
    return error.message;
}

void ShowErrorBox(FrameworkState& state, const WCHAR* message) {
    WCHAR caption[kFrameworkStringLength];
    BoundedCopyWide(caption, kFrameworkStringLength, state.GetWindowTitle());
    if (caption[0] == 0) BoundedCopyWide(caption, kFrameworkStringLength, L"DirectX Application");
    MessageBoxW(ActiveDeviceWindow(), message, caption, MB_ICONERROR);
}

}  // namespace

void ShowFrameworkError(HRESULT code) {
    FrameworkState& state = GetFrameworkState();
    const FrameworkErrorText* error = FindFrameworkError(code);
    const WCHAR* message = error ? SelectMessage(*error) : nullptr;
    state.SetExitCode(error ? error->exitCode : kUnknownErrorExitCode);
    if (message && state.GetShowErrorBoxes()) ShowErrorBox(state, message);
}
