// The process entry on this platform: what Windows provides before it calls a
// Unicode window program's wWinMain (the system libraries the program loads
// at run time), then the call itself.
#include <windows.h>

#include <cstdio>

#include "common/platform_settings.h"
#include "common/process_heap.h"
#include "d3d9/library_registration.h"
#include "leak_suppressions.h"

// LeakSanitizer asks the program for default suppressions when it starts; in
// builds without it the function is never called. The system's libraries
// keep some allocations to the end of the process (fontconfig's caches, the
// GL driver's), which are not ours to free.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return kLeakSuppressions;
}
// Expected leaks pass silently: the program's standard error stays its own.
extern "C" __attribute__((used)) const char* __lsan_default_options() {
    return "print_suppressions=0";
}

int main(int argc, char** argv) {
    kl::platform::KeepFreedHeapForReuse();
    kl::d3d9::RegisterDirect3DLibrary();
    const int result =
        wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
    // The program's usage covers the program; this layer's own settings
    // follow it.
    bool usageRequested = false;
    for (int i = 1; i < argc; ++i) {
        if (kl::platform::IsUsageRequest(argv[i])) usageRequested = true;
    }
    if (usageRequested && result == 0) {
        std::fputs(kl::platform::SettingsUsage(), stdout);
        std::fflush(stdout);
    }
    return result;
}
