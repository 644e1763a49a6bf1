#include "framework/debug_trace.h"

#if KESTRALUNE_TRACE
#include <cstdio>
#endif

#if KESTRALUNE_TRACE
void DebugTrace(const WCHAR* prefix, const WCHAR* detail) {
    // %ls converts the wide text to the console's multibyte encoding, so the
    // same line works where wide characters are 16 or 32 bits.
    std::fprintf(stderr, "%ls%ls\n", prefix ? prefix : L"", detail ? detail : L"");
}
#else
// Release builds stay silent: the program writes nothing but its window,
// message boxes and exit code.
void DebugTrace(const WCHAR*, const WCHAR*) {}
#endif
