// The platform layer's settings: environment variables named KESTRALUNE_<NAME>.
// Only platform code reads them; platform/README.md lists every setting.
#pragma once

#include <optional>
#include <string>

namespace kl::platform {

// The value of KESTRALUNE_<name> (name without the prefix, e.g. "HEADLESS"),
// or nothing when the variable is not set.
std::optional<std::string> PlatformSetting(const char* name);

// True when KESTRALUNE_<name> is set to 1, true, yes or on (any case).
bool PlatformFlag(const char* name);

// KESTRALUNE_HEADLESS: use the virtual desktop even where a display exists.
bool HeadlessRequested();

// KESTRALUNE_VERBOSE: information (OutputDebugStringW) is logged too.
bool VerboseOutput();

// KESTRALUNE_DESKTOP=<width>x<height>: the size of the virtual desktop's one
// monitor, 1024 x 768 when unset. A value that is not two whole numbers from
// 320 to 16384 joined by "x" is reported on standard error and the default is
// used.
struct DesktopSize {
    int width;
    int height;
};
DesktopSize VirtualDesktopSize();

// The settings as the usage lists them after the program's own text.
const char* SettingsUsage();

// True for the arguments with which the program shows its usage: --help,
// -help, /help, -? and /? (names ignore case; a ":..." suffix is allowed).
bool IsUsageRequest(const char* argument);

}  // namespace kl::platform
