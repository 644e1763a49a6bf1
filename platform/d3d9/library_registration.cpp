#include "d3d9/library_registration.h"

#include <d3d9.h>

#include "common/library_exports.h"

namespace kl::d3d9 {

void RegisterDirect3DLibrary() {
    // Through void(*)() so the cast between function types is explicit;
    // callers cast back to the entry point's real type before calling.
    kl::platform::RegisterLibraryExport(
        "d3d9.dll", "Direct3DCreate9",
        reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&Direct3DCreate9)));
}

}  // namespace kl::d3d9
