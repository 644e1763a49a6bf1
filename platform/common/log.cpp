#include "common/log.h"

#include <cstdarg>
#include <cstdio>

#include "common/platform_settings.h"

namespace kl::platform {

bool LogLevelShown(LogLevel level) {
    return level != LogLevel::Info || VerboseOutput();
}

void Log(LogLevel level, const char* format, ...) {
    if (!LogLevelShown(level)) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void LogText(LogLevel level, const std::string& text) {
    if (!LogLevelShown(level)) return;
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace kl::platform
