// The table behind LoadLibraryW and GetProcAddress. The system looks up a few
// entry points of Windows system libraries by name ("d3d9.dll" /
// "Direct3DCreate9", "winmm.dll" / "timeBeginPeriod", ...). Each platform
// library registers the entry points it implements here, so the Win32 layer
// can hand them out without a link-time dependency on the libraries that
// implement them (the Direct3D layer links the Win32 layer, not the reverse).
//
// A library counts as installed once at least one of its entry points is
// registered: LoadLibraryW of a library with no registered entry point fails
// with ERROR_MOD_NOT_FOUND, as on a machine without that DLL.
#pragma once

#include <windows.h>

#include <string>

namespace kl::platform {

// Registers `procedure` as the entry point `name` of `library` (a file name
// such as "d3d9.dll"; compared ignoring case, the ".dll" suffix optional).
// Safe to call from static initializers. Returns true so that a registration
// can initialize a namespace-scope constant:
//   const bool registered = RegisterLibraryExport("d3d9.dll", "Direct3DCreate9",
//                                                 reinterpret_cast<FARPROC>(&Direct3DCreate9));
// The object file holding such a registration must be linked into the
// program; a static library member nothing references is dropped by the
// linker, so the library that registers should force its member in (for
// example with the linker option --undefined=<entry point>).
bool RegisterLibraryExport(const char* library, const char* name, FARPROC procedure);

// The registered entry point, or nullptr.
FARPROC FindLibraryExport(const char* library, const char* name);

// Whether any entry point of the library is registered.
bool IsLibraryInstalled(const char* library);

// The library's canonical name: lower case with ".dll" appended when missing,
// directories removed ("C:\\Windows\\System32\\D3D9" -> "d3d9.dll").
std::string CanonicalLibraryName(const std::string& library);

}  // namespace kl::platform
