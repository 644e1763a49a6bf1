// Paths of libraries in the system directory.
#pragma once

#include <windows.h>

// Capacity of a path buffer for BuildSystemLibraryPath: the system directory
// may take up to 260 characters plus its terminator.
constexpr UINT kSystemPathCapacity = MAX_PATH + 1;

// Writes "<system directory>\<fileName>" into path (kSystemPathCapacity
// characters). False when the directory cannot be read or the whole path does
// not fit within MAX_PATH characters (terminator included).
bool BuildSystemLibraryPath(const WCHAR* fileName, WCHAR* path);

// GetProcAddress's result as the entry point's real function type; null when
// the module or the name is missing.
template <typename Function>
Function LookUpEntryPoint(HMODULE module, const char* name) {
    if (!module) return nullptr;
    // The detour through a parameterless function type is the documented way
    // to convert between function pointer types without a cast warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
