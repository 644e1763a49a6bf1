#include "common/platform_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kl::platform {

namespace {

constexpr char kSettingPrefix[] = "KESTRALUNE_";

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::optional<std::string> PlatformSetting(const char* name) {
    const std::string variable = std::string(kSettingPrefix) + name;
    const char* value = std::getenv(variable.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

bool PlatformFlag(const char* name) {
    const std::optional<std::string> value = PlatformSetting(name);
    if (!value) return false;
    const std::string lowered = Lowercase(*value);
    return lowered == "1" || lowered == "true" || lowered == "yes" || lowered == "on";
}

bool HeadlessRequested() {
    return PlatformFlag("HEADLESS");
}

bool VerboseOutput() {
    return PlatformFlag("VERBOSE");
}

}  // namespace kl::platform
