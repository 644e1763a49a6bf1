// The command-line options: -name or /name, -name:value for the valued ones.
#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cmath>
#include <cwchar>

#include "framework/bounded_copy.h"
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
    // False when the value is unusable; the option is then ignored.
    bool (*apply)(FrameworkState& state, const WCHAR* value);
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

bool ApplyAdapter(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideAdapter(ParseInteger(value));
    return true;
}
bool ApplyWindowed(FrameworkState& state, const WCHAR*) {
    state.SetOverrideWindowed(true);
    return true;
}
bool ApplyFullscreen(FrameworkState& state, const WCHAR*) {
    state.SetOverrideFullscreen(true);
    return true;
}
bool ApplyForceHal(FrameworkState& state, const WCHAR*) {
    state.SetForceHal(true);
    return true;
}
bool ApplyForceRef(FrameworkState& state, const WCHAR*) {
    state.SetForceRef(true);
    return true;
}
bool ApplyForcePureHwvp(FrameworkState& state, const WCHAR*) {
    state.SetForcePureHwvp(true);
    return true;
}
bool ApplyForceHwvp(FrameworkState& state, const WCHAR*) {
    state.SetForceHwvp(true);
    return true;
}
bool ApplyForceSwvp(FrameworkState& state, const WCHAR*) {
    state.SetForceSwvp(true);
    return true;
}
bool ApplyForceVsync(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideVsync(ParseInteger(value));
    return true;
}
// A negative size would reach the window and the back buffer as a huge
// unsigned size; such a value is refused like a malformed option.
bool ApplyWidth(FrameworkState& state, const WCHAR* value) {
    const int32_t width = ParseInteger(value);
    if (width < 0) return false;
    state.SetOverrideWidth(width);
    return true;
}
bool ApplyHeight(FrameworkState& state, const WCHAR* value) {
    const int32_t height = ParseInteger(value);
    if (height < 0) return false;
    state.SetOverrideHeight(height);
    return true;
}
bool ApplyStartX(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideStartX(ParseInteger(value));
    return true;
}
bool ApplyStartY(FrameworkState& state, const WCHAR* value) {
    state.SetOverrideStartY(ParseInteger(value));
    return true;
}
// Time must not run backwards or jump to infinity, so negative and
// non-finite frame times are refused.
bool ApplyConstantFrameTime(FrameworkState& state, const WCHAR* value) {
    const float seconds =
        value ? static_cast<float>(std::wcstod(value, nullptr)) : kDefaultConstantFrameTime;
    if (!std::isfinite(seconds) || seconds < 0.0f) return false;
    state.SetOverrideConstantFrameTime(true);
    state.SetOverrideConstantFrameTimeValue(seconds);
    EnableConstantFrameTime(true, seconds);
    return true;
}
bool ApplyQuitAfterFrame(FrameworkState& state, const WCHAR* value) {
    state.SetQuitAfterFrame(ParseInteger(value));
    return true;
}
bool ApplyNoErrorBoxes(FrameworkState& state, const WCHAR*) {
    state.SetShowErrorBoxes(false);
    return true;
}
bool ApplyNoStats(FrameworkState& state, const WCHAR*) {
    state.SetNoStats(true);
    return true;
}
bool ApplyRelaunchMediaShell(FrameworkState& state, const WCHAR*) {
    state.SetRelaunchMediaShellAtExit(true);
    return true;
}
bool ApplyAutomation(FrameworkState& state, const WCHAR*) {
    state.SetAutomation(true);
    return true;
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
};

// Tries one option at the cursor. A matched name leaves the cursor after it
// even when the value is missing, so later names see the rest.
bool TryOption(const CommandLineOption& option, const WCHAR*& cursor, FrameworkState& state) {
    if (!MatchOption(cursor, option.name)) return false;
    WCHAR value[kFrameworkStringLength];
    switch (option.value) {
        case OptionValue::None:
            return option.apply(state, nullptr);
        case OptionValue::Required:
            return ReadOptionValue(cursor, value) && option.apply(state, value);
        case OptionValue::Optional:
            return option.apply(state, ReadOptionValue(cursor, value) ? value : nullptr);
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
        return;
    }
    FrameworkState& state = GetFrameworkState();
    const WCHAR* cursor = argument + 1;
    for (const CommandLineOption& option : kOptions) {
        if (TryOption(option, cursor, state)) return;
    }
    TraceUnrecognized(cursor);
}

void ReadCommandLineOptions() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return;
    for (int i = 1; i < count; ++i) ReadCommandLineArgument(arguments[i]);
    LocalFree(arguments);
}
