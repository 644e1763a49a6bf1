// OutputDebugStringW: Linux has no debugger output channel, so the text is
// logged as information: on standard error when KESTRALUNE_VERBOSE is set and
// nowhere otherwise (as on Windows with no debugger attached).
#include <windows.h>

#include "common/log.h"
#include "common/wide_text.h"

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString) {
    using kl::platform::LogLevel;
    if (!lpOutputString || !kl::platform::LogLevelShown(LogLevel::Info)) return;
    kl::platform::LogText(LogLevel::Info, kl::platform::ToUtf8(lpOutputString));
}
