// The framework's own error codes, their messages and process exit codes.
#pragma once

#include <windows.h>

#define FWERR_DIRECT3D_UNAVAILABLE ((HRESULT)0x80040901L)
#define FWERR_NO_USABLE_DEVICE ((HRESULT)0x80040902L)
#define FWERR_MEDIA_MISSING ((HRESULT)0x80040903L)
#define FWERR_DEVICE_STILL_REFERENCED ((HRESULT)0x80040904L)
#define FWERR_DEVICE_CREATE_FAILED ((HRESULT)0x80040905L)
#define FWERR_DEVICE_RESET_FAILED ((HRESULT)0x80040906L)
#define FWERR_OBJECTS_CREATE_FAILED ((HRESULT)0x80040907L)
#define FWERR_OBJECTS_RESET_FAILED ((HRESULT)0x80040908L)
#define FWERR_VERSION_MISMATCH ((HRESULT)0x80040909L)

// Records the exit code of the error and shows its message in a message box
// (unless error boxes are off). Codes outside the table set exit code 1 and
// show nothing.
void ShowFrameworkError(HRESULT code);
