// Makes "d3d9.dll" with its entry point "Direct3DCreate9" loadable through
// LoadLibraryW/GetProcAddress, as the Windows system directory provides it.
#pragma once

namespace kl::d3d9 {

// Called once by the process entry (and by tests that start the framework
// with the real Direct3D object). Safe to call more than once.
void RegisterDirect3DLibrary();

}  // namespace kl::d3d9
