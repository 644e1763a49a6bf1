// The framework's developer trace. It writes nothing unless the build turns
// it on (KESTRALUNE_TRACE); then each message goes to standard error.
#pragma once

#include <windows.h>

// Writes prefix followed by detail (either may be null) as one line.
void DebugTrace(const WCHAR* prefix, const WCHAR* detail);
