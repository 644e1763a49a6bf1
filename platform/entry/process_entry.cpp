// The process entry on this platform: what Windows provides before it calls a
// Unicode window program's wWinMain (the system libraries the program loads
// at run time), then the call itself.
#include <windows.h>

#include "d3d9/library_registration.h"

int main() {
    kl::d3d9::RegisterDirect3DLibrary();
    return wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
}
