// The framework's developer trace: lines for the debugger's output window
// (OutputDebugStringW), which a release run shows no one. On Linux the
// platform writes them to standard error when KESTRALUNE_VERBOSE is set.
#pragma once

#include <windows.h>

// Writes prefix followed by detail (either may be null) as one line.
void DebugTrace(const WCHAR* prefix, const WCHAR* detail);
