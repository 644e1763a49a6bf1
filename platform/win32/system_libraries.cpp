// winmm and XInput as far as the framework calls them. Linux has no timer
// resolution to raise (its sleeps are already precise to well under a
// millisecond), so timeBeginPeriod succeeds without doing anything; there is
// no XInput controller, so XInputSetState reports every user index as not
// connected, as on a Windows machine with no controller plugged in.
#include "common/library_exports.h"
#include "win32/system_libraries.h"

namespace {

constexpr UINT kTimerNoError = 0;      // TIMERR_NOERROR
constexpr UINT kTimerCannotDo = 97;    // TIMERR_NOCANDO
constexpr DWORD kXInputUserCount = 4;  // XUSER_MAX_COUNT
constexpr DWORD kBadArguments = 160;   // ERROR_BAD_ARGUMENTS

// XINPUT_VIBRATION: the two motor speeds.
struct ControllerVibration {
    WORD leftMotorSpeed;
    WORD rightMotorSpeed;
};

UINT WINAPI TimeBeginPeriod(UINT period) {
    return period == 0 ? kTimerCannotDo : kTimerNoError;
}

UINT WINAPI TimeEndPeriod(UINT period) {
    return period == 0 ? kTimerCannotDo : kTimerNoError;
}

DWORD WINAPI XInputSetState(DWORD userIndex, ControllerVibration* vibration) {
    if (userIndex >= kXInputUserCount || !vibration) return kBadArguments;
    return ERROR_DEVICE_NOT_CONNECTED;
}

// Entry points travel as FARPROC; the detour through void (*)() is the
// conversion between function types that compilers accept without warning.
template <typename Function>
FARPROC AsProcedure(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

namespace kl::win32 {

void RegisterSystemLibraryExports() {
    static const bool registered = [] {
        using kl::platform::RegisterLibraryExport;
        RegisterLibraryExport("user32.dll", "MonitorFromWindow", AsProcedure(&MonitorFromWindow));
        RegisterLibraryExport("user32.dll", "GetMonitorInfoW", AsProcedure(&GetMonitorInfoW));
        // MONITORINFO holds no text, so the ANSI form is the same function.
        RegisterLibraryExport("user32.dll", "GetMonitorInfoA", AsProcedure(&GetMonitorInfoW));
        RegisterLibraryExport("winmm.dll", "timeBeginPeriod", AsProcedure(&TimeBeginPeriod));
        RegisterLibraryExport("winmm.dll", "timeEndPeriod", AsProcedure(&TimeEndPeriod));
        RegisterLibraryExport("xinput9_1_0.dll", "XInputSetState", AsProcedure(&XInputSetState));
        return true;
    }();
    (void)registered;
}

}  // namespace kl::win32
