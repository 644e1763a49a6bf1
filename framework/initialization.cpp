// Framework start-up.
#include "framework/initialization.h"

#include <windows.h>
#include <commctrl.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "framework/error_display.h"
#include "framework/frame_timer.h"
#include "framework/framework_state.h"
#include "framework/system_libraries.h"
#include "framework/system_path.h"

namespace {

// The Direct3D and D3DX versions the framework was written against.
constexpr UINT kDirect3DSdkVersion = 32;
constexpr UINT kD3dxSdkVersion = 27;

typedef UINT(WINAPI* TimeBeginPeriodFunction)(UINT period);

// Keeps the user's accessibility settings so that they can be restored
// whenever the program stops suppressing their shortcut keys.
void CaptureAccessibilitySettings(FrameworkState& state) {
    STICKYKEYS stickyKeys{};
    stickyKeys.cbSize = sizeof(STICKYKEYS);
    SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(STICKYKEYS), &stickyKeys, 0);
    TOGGLEKEYS toggleKeys{};
    toggleKeys.cbSize = sizeof(TOGGLEKEYS);
    SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof(TOGGLEKEYS), &toggleKeys, 0);
    FILTERKEYS filterKeys{};
    filterKeys.cbSize = sizeof(FILTERKEYS);
    SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(FILTERKEYS), &filterKeys, 0);

    state.SetSavedStickyKeys(stickyKeys);
    state.SetSavedToggleKeys(toggleKeys);
    state.SetSavedFilterKeys(filterKeys);
}

// A 1 ms system timer makes Sleep and frame pacing precise. winmm is loaded
// only for this call; the raised resolution outlives the library handle.
void RaiseTimerResolution() {
    WCHAR path[kSystemPathCapacity];
    if (!BuildSystemLibraryPath(L"winmm.dll", path)) return;
    HMODULE winmm = LoadLibraryW(path);
    if (!winmm) return;
    TimeBeginPeriodFunction timeBeginPeriod =
        LookUpEntryPoint<TimeBeginPeriodFunction>(winmm, "timeBeginPeriod");
    if (timeBeginPeriod) timeBeginPeriod(1);
    FreeLibrary(winmm);
}

}  // namespace

HRESULT InitFramework(bool parseCommandLine, bool handleDefaultKeys, bool showErrorBoxes,
                      bool handleAltEnter) {
    FrameworkState& state = GetFrameworkState();
    state.SetInitCalled(true);

    InitCommonControls();
    CaptureAccessibilitySettings(state);
    RaiseTimerResolution();

    state.SetShowErrorBoxes(showErrorBoxes);
    state.SetHandleDefaultKeys(handleDefaultKeys);
    state.SetHandleAltEnter(handleAltEnter);

    // After the parameters, so that -noerrormsgboxes overrides showErrorBoxes.
    if (parseCommandLine) ReadCommandLineOptions();

    if (!D3DXCheckVersion(kDirect3DSdkVersion, kD3dxSdkVersion)) {
        ShowFrameworkError(FWERR_VERSION_MISMATCH);
        return FWERR_VERSION_MISMATCH;
    }

    if (!state.GetDirect3D()) {
        state.SetDirect3D(CreateDirect3D(kDirect3DSdkVersion));
        if (!state.GetDirect3D()) {
            ShowFrameworkError(FWERR_DIRECT3D_UNAVAILABLE);
            return FWERR_DIRECT3D_UNAVAILABLE;
        }
    }

    GetFrameTimer().Restart();
    state.SetInitialized(true);
    return S_OK;
}
