// OutputDebugStringW: Linux has no debugger output channel, so the text goes
// to standard error when KESTRALUNE_VERBOSE is set and nowhere otherwise
// (as on Windows with no debugger attached).
#include <windows.h>

#include <cstdio>

#include "common/platform_settings.h"
#include "common/wide_text.h"

void WINAPI OutputDebugStringW(LPCWSTR lpOutputString) {
    if (!lpOutputString || !kl::platform::VerboseOutput()) return;
    const std::string text = kl::platform::ToUtf8(lpOutputString);
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}
