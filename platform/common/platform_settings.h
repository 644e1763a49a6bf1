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

// KESTRALUNE_VERBOSE: OutputDebugStringW writes to standard error.
bool VerboseOutput();

}  // namespace kl::platform
