// The platform layer's diagnostics: one place decides what reaches standard
// error. Errors and warnings (a setting that cannot be used, a value the
// Direct3D layer does not know, GL refusing a program) are always written;
// information (OutputDebugStringW, the framework's trace) only with
// KESTRALUNE_VERBOSE, as Windows shows debugger output only to a debugger.
// Message boxes do not come through here.
#pragma once

#include <string>

namespace kl::platform {

enum class LogLevel { Error, Warning, Info };

// True when a message of this level is written.
bool LogLevelShown(LogLevel level);

// Writes one line (a newline is added) built printf-style.
void Log(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes the text exactly as given.
void LogText(LogLevel level, const std::string& text);

}  // namespace kl::platform
