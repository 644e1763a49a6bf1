// The command-line options: -name or /name, -name:value for the valued ones.
#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cmath>
#include <cwchar>
#include <string>

#include "framework/bounded_copy.h"
#include "framework/console_text.h"
#include "framework/debug_trace.h"
#include "framework/framework_state.h"
#include "framework/initialization.h"

namespace {

constexpr float kDefaultConstantFrameTime = 0.0333f;

enum class OptionValue {
    None,      // a flag; a ':' suffix is accepted and ignored
    Required,  // -name:value; without the value the option is ignored
    Optional,  // -name or -name:value
};

struct CommandLineOption {
    const WCHAR* name;
    OptionValue value;
    // value is null for flags and for an optional value that was not given.
    // An unusable value leaves the state as it was.
    void (*apply)(FrameworkState& state, const WCHAR* value);
};

WCHAR FoldAsciiCase(WCHAR c) {
    return (c >= L'A' && c <= L'Z') ? WCHAR(c - L'A' + L'a') : c;
}

bool IsBlankOrControl(WCHAR c) {
    return static_cast<unsigned long>(c) <= 32;
}

// The C runtime's integer reading (leading blanks, sign, digits up to the
// first other character, 0 without digits), saturated to the 32-bit range
// instead of wrapping on overflow.
int32_t ParseInteger(const WCHAR* text) {
    const long value = std::wcstol(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void ApplyAdapter(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideAdapter(ParseInteger(value));
}
void ApplyWindowed(FrameworkState& state, const WCHAR*) {
    state.SetOverrideWindowed(true);
}
void ApplyFullscreen(FrameworkState& state, const WCHAR*) {
    state.SetOverrideFullscreen(true);
}
void ApplyForceHal(FrameworkState& state, const WCHAR*) {
    state.SetForceHal(true);
}
void ApplyForceRef(FrameworkState& state, const WCHAR*) {
    state.SetForceRef(true);
}
void ApplyForcePureHwvp(FrameworkState& state, const WCHAR*) {
    state.SetForcePureHwvp(true);
}
void ApplyForceHwvp(FrameworkState& state, const WCHAR*) {
    state.SetForceHwvp(true);
}
void ApplyForceSwvp(FrameworkState& state, const WCHAR*) {
    state.SetForceSwvp(true);
}
void ApplyForceVsync(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideVsync(ParseInteger(value));
}
// A negative size would reach the window and the back buffer as a huge
// unsigned size; such a value is refused like a malformed argument.
void ApplyWidth(FrameworkState& state, const WCHAR* value) {
    const int32_t width = ParseInteger(value);
    if (width < 0) return;
    state.SetOverrideWidth(width);
}
void ApplyHeight(FrameworkState& state, const WCHAR* value) {
    const int32_t height = ParseInteger(value);
    if (height < 0) return;
    state.SetOverrideHeight(height);
}
void ApplyStartX(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideStartX(ParseInteger(value));
}
void ApplyStartY(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideStartY(ParseInteger(value));
}
// Time must not run backwards or jump to infinity, so negative and
// non-finite frame times are refused.
void ApplyConstantFrameTime(FrameworkState& state, const WCHAR* value) {
    const float seconds =
        value ? static_cast<float>(std::wcstod(value, nullptr)) : kDefaultConstantFrameTime;
    if (!std::isfinite(seconds) || seconds < 0.0f) return;
    state.SetOverrideConstantFrameTime(true);
    state.SetOverrideConstantFrameTimeValue(seconds);
    EnableConstantFrameTime(true, seconds);
}
void ApplyQuitAfterFrame(FrameworkState& state, const WCHAR* value) {
    state.SetQuitAfterFrame(ParseInteger(value));
}
void ApplyNoErrorBoxes(FrameworkState& state, const WCHAR*) {
    state.SetShowErrorBoxes(false);
}
void ApplyNoStats(FrameworkState& state, const WCHAR*) {
    state.SetNoStats(true);
}
void ApplyRelaunchMediaShell(FrameworkState& state, const WCHAR*) {
    state.SetRelaunchMediaShellAtExit(true);
}
void ApplyAutomation(FrameworkState& state, const WCHAR*) {
    state.SetAutomation(true);
}
void ApplyUsage(FrameworkState& state, const WCHAR*) {
    state.SetUsageRequested(true);
}

// In the order the names are tried.
const CommandLineOption kOptions[] = {
    {L"adapter", OptionValue::Required, ApplyAdapter},
    {L"windowed", OptionValue::None, ApplyWindowed},
    {L"fullscreen", OptionValue::None, ApplyFullscreen},
    {L"forcehal", OptionValue::None, ApplyForceHal},
    {L"forceref", OptionValue::None, ApplyForceRef},
    {L"forcepurehwvp", OptionValue::None, ApplyForcePureHwvp},
    {L"forcehwvp", OptionValue::None, ApplyForceHwvp},
    {L"forceswvp", OptionValue::None, ApplyForceSwvp},
    {L"forcevsync", OptionValue::Required, ApplyForceVsync},
    {L"width", OptionValue::Required, ApplyWidth},
    {L"height", OptionValue::Required, ApplyHeight},
    {L"startx", OptionValue::Required, ApplyStartX},
    {L"starty", OptionValue::Required, ApplyStartY},
    {L"constantframetime", OptionValue::Optional, ApplyConstantFrameTime},
    {L"quitafterframe", OptionValue::Required, ApplyQuitAfterFrame},
    {L"noerrormsgboxes", OptionValue::None, ApplyNoErrorBoxes},
    {L"nostats", OptionValue::None, ApplyNoStats},
    {L"relaunchmce", OptionValue::None, ApplyRelaunchMediaShell},
    {L"automation", OptionValue::None, ApplyAutomation},
    // The usual requests for a program's usage: --help, -help, -? and /?.
    {L"help", OptionValue::None, ApplyUsage},
    {L"-help", OptionValue::None, ApplyUsage},
    {L"?", OptionValue::None, ApplyUsage},
};

// Tries one option at the cursor; true when the option takes the argument.
// A matched name leaves the cursor after it even when the value is missing,
// so later names see the rest. A value that is there takes the argument
// whether or not it is usable: what follows a long value is never read as a
// second option.
bool TryOption(const CommandLineOption& option, const WCHAR*& cursor, FrameworkState& state) {
    if (!MatchOption(cursor, option.name)) return false;
    WCHAR value[kFrameworkStringLength];
    switch (option.value) {
        case OptionValue::None:
            option.apply(state, nullptr);
            return true;
        case OptionValue::Required:
            if (!ReadOptionValue(cursor, value)) return false;
            option.apply(state, value);
            return true;
        case OptionValue::Optional:
            option.apply(state, ReadOptionValue(cursor, value) ? value : nullptr);
            return true;
    }
    return false;
}

void TraceUnrecognized(const WCHAR* rest) {
    WCHAR flag[kFrameworkStringLength];
    BoundedCopyWide(flag, kFrameworkStringLength, rest);
    for (WCHAR* c = flag; *c; ++c) {
        if (IsBlankOrControl(*c)) {
            *c = 0;
            break;
        }
    }
    DebugTrace(L"Unrecognized flag: ", flag);
}

// Tells a user at a console which argument had no effect, so that a typing
// error does not go unnoticed. The whole argument is named, on one line.
void ReportIgnoredArgument(const WCHAR* argument) {
    std::wstring text = L"Unrecognized option ignored: ";
    for (const WCHAR* c = argument; *c; ++c) text += IsBlankOrControl(*c) && *c != L' ' ? L'?' : *c;
    WriteStandardError(text + L"\n");
}

}  // namespace

bool MatchOption(const WCHAR*& cursor, const WCHAR* name) {
    size_t length = 0;
    // The argument's terminator never equals a name character, so a short
    // argument fails here without reading past its end.
    for (; name[length]; ++length) {
        if (FoldAsciiCase(cursor[length]) != FoldAsciiCase(name[length])) return false;
    }
    if (cursor[length] != 0 && cursor[length] != L':') return false;
    cursor += length;
    return true;
}

bool ReadOptionValue(const WCHAR*& cursor, WCHAR* value) {
    if (*cursor != L':') {
        value[0] = 0;
        return false;
    }
    ++cursor;
    BoundedCopyWide(value, kFrameworkStringLength, cursor);
    size_t length = 0;
    while (value[length] && !IsBlankOrControl(value[length])) ++length;
    value[length] = 0;
    cursor += length;
    return true;
}

void ReadCommandLineArgument(const WCHAR* argument) {
    if (argument[0] != L'/' && argument[0] != L'-') {
        TraceUnrecognized(argument);
        ReportIgnoredArgument(argument);
        return;
    }
    FrameworkState& state = GetFrameworkState();
    const WCHAR* cursor = argument + 1;
    for (const CommandLineOption& option : kOptions) {
        if (TryOption(option, cursor, state)) return;
    }
    TraceUnrecognized(cursor);
    ReportIgnoredArgument(argument);
}

void ReadCommandLineOptions() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return;
    for (int i = 1; i < count; ++i) ReadCommandLineArgument(arguments[i]);
    LocalFree(arguments);
}
