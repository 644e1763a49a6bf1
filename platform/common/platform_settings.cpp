#include "common/platform_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "common/log.h"

namespace kl::platform {

namespace {

constexpr char kSettingPrefix[] = "KESTRALUNE_";

constexpr DesktopSize kDefaultDesktop{1024, 768};
constexpr long kSmallestDesktopSide = 320;
constexpr long kLargestDesktopSide = 16384;

// One side of a desktop size: digits only, within the limits; 0 otherwise.
int DesktopSide(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value >= kSmallestDesktopSide && value <= kLargestDesktopSide ? static_cast<int>(value)
                                                                         : 0;
}

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

DesktopSize VirtualDesktopSize() {
    const std::optional<std::string> value = PlatformSetting("DESKTOP");
    if (!value) return kDefaultDesktop;
    const std::string lowered = Lowercase(*value);
    const size_t x = lowered.find('x');
    if (x != std::string::npos) {
        const int width = DesktopSide(lowered.substr(0, x));
        const int height = DesktopSide(lowered.substr(x + 1));
        if (width > 0 && height > 0) return {width, height};
    }
    Log(LogLevel::Warning,
        "KESTRALUNE_DESKTOP=%s is not <width>x<height> with sides from %ld to %ld; using %dx%d",
        value->c_str(), kSmallestDesktopSide, kLargestDesktopSide, kDefaultDesktop.width,
        kDefaultDesktop.height);
    return kDefaultDesktop;
}

const char* SettingsUsage() {
    return "\n"
           "Platform settings (environment variables):\n"
           "  KESTRALUNE_HEADLESS=1         render on a virtual desktop, no window shown\n"
           "  KESTRALUNE_DESKTOP=WxH        size of the virtual desktop (1024x768)\n"
           "  KESTRALUNE_VERBOSE=1          debugger output to standard error\n"
           "  KESTRALUNE_CAPTURE_DIR=DIR    write PNG captures of presented frames here\n"
           "  KESTRALUNE_CAPTURE_FRAMES=L   which frames: all, every:N or 1,50,100\n"
           "  KESTRALUNE_INPUT_SCRIPT=S     scripted keys, <frame>:<down|up|press>:<key>;...\n"
           "                                (@file reads the script from a file)\n"
           "  KESTRALUNE_FRAME_TIMES=FILE   one line per presented frame: number and time\n";
}

bool IsUsageRequest(const char* argument) {
    if (argument == nullptr || (argument[0] != '-' && argument[0] != '/')) return false;
    std::string name = Lowercase(argument + 1);
    name = name.substr(0, name.find(':'));
    return name == "help" || name == "-help" || name == "?";
}

}  // namespace kl::platform
