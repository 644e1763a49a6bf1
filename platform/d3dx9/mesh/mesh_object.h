// The ID3DXMesh of this platform: vertex and index buffers on the device, a
// vertex declaration, an attribute (material) id per face kept on the CPU,
// and the attribute table that lets DrawSubset draw one material's faces.
#pragma once

#include <d3dx9.h>

namespace kl::d3dx9::mesh {

// Validates the arguments as D3DXCreateMesh does and creates the mesh with
// uninitialised vertices and indices, all attributes 0 and no attribute table.
HRESULT CreateMeshObject(DWORD numFaces, DWORD numVertices, DWORD options,
                         const D3DVERTEXELEMENT9* declaration, IDirect3DDevice9* device,
                         ID3DXMesh** mesh);

}  // namespace kl::d3dx9::mesh
