// SystemParametersInfo for the accessibility-key settings and the work area.
// The settings live in this process only: changing the desktop's real
// keyboard settings is not a program's business here, and Linux desktops
// have no such settings to change. Both the W and A forms share them.
#include <cstring>

#include "testing/windows.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

// Further documented flag bits of the defaults below.
constexpr DWORD kHotKeySound = 0x00000010;      // SKF/TKF/FKF_HOTKEYSOUND
constexpr DWORD kIndicator = 0x00000020;        // SKF_INDICATOR
constexpr DWORD kAudibleFeedback = 0x00000040;  // SKF_AUDIBLEFEEDBACK
constexpr DWORD kTriState = 0x00000080;         // SKF_TRISTATE
constexpr DWORD kTwoKeysOff = 0x00000100;       // SKF_TWOKEYSOFF
constexpr DWORD kFilterClickOn = 0x00000040;    // FKF_CLICKON

// A user who never touched the settings: each feature off but available,
// its hot key active and confirmed.
struct Accessibility {
    STICKYKEYS sticky{sizeof(STICKYKEYS), SKF_AVAILABLE | SKF_HOTKEYACTIVE | SKF_CONFIRMHOTKEY |
                                              kHotKeySound | kIndicator | kAudibleFeedback |
                                              kTriState | kTwoKeysOff};
    TOGGLEKEYS toggle{sizeof(TOGGLEKEYS),
                      TKF_AVAILABLE | TKF_HOTKEYACTIVE | TKF_CONFIRMHOTKEY | kHotKeySound};
    FILTERKEYS filter{
        sizeof(FILTERKEYS),
        FKF_AVAILABLE | FKF_HOTKEYACTIVE | FKF_CONFIRMHOTKEY | kHotKeySound | kFilterClickOn,
        1000,
        1000,
        500,
        0};
};

Accessibility& Settings() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Accessibility& settings = *new Accessibility;
    return settings;
}

// Copies between the caller's structure and ours after checking that the
// caller's size field says it is the structure the action expects.
template <typename Structure>
BOOL Read(const Structure& stored, PVOID destination) {
    auto* out = static_cast<Structure*>(destination);
    if (!out || out->cbSize != sizeof(Structure)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(out, &stored, sizeof(Structure));
    return TRUE;
}

template <typename Structure>
BOOL Write(Structure& stored, PVOID source) {
    const auto* in = static_cast<const Structure*>(source);
    if (!in || in->cbSize != sizeof(Structure)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(&stored, in, sizeof(Structure));
    return TRUE;
}

BOOL ReadWorkArea(PVOID destination) {
    if (!destination) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT*>(destination) = DesktopMonitors().front().work;
    return TRUE;
}

BOOL SystemParameters(UINT action, PVOID parameter) {
    Accessibility& settings = Settings();
    switch (action) {
        case SPI_GETWORKAREA:
            return ReadWorkArea(parameter);
        case SPI_GETSTICKYKEYS:
            return Read(settings.sticky, parameter);
        case SPI_SETSTICKYKEYS:
            return Write(settings.sticky, parameter);
        case SPI_GETTOGGLEKEYS:
            return Read(settings.toggle, parameter);
        case SPI_SETTOGGLEKEYS:
            return Write(settings.toggle, parameter);
        case SPI_GETFILTERKEYS:
            return Read(settings.filter, parameter);
        case SPI_SETFILTERKEYS:
            return Write(settings.filter, parameter);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

}  // namespace

}  // namespace kl::win32

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT, PVOID pvParam, UINT) {
    return kl::win32::SystemParameters(uiAction, pvParam);
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    return kl::win32::SystemParameters(uiAction, pvParam);
}

namespace kl::testing {

void SetAccessibilitySettings(const STICKYKEYS& sticky, const TOGGLEKEYS& toggle,
                              const FILTERKEYS& filter) {
    win32::Settings().sticky = sticky;
    win32::Settings().toggle = toggle;
    win32::Settings().filter = filter;
}

void GetAccessibilitySettings(STICKYKEYS* sticky, TOGGLEKEYS* toggle, FILTERKEYS* filter) {
    if (sticky) *sticky = win32::Settings().sticky;
    if (toggle) *toggle = win32::Settings().toggle;
    if (filter) *filter = win32::Settings().filter;
}

}  // namespace kl::testing
