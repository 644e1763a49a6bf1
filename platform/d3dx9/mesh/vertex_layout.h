// Reading vertex declarations: element sizes, the stride of stream 0, finding
// an element by usage, and the FVF code that describes a declaration.
#pragma once

#include <d3d9.h>

#include <vector>

namespace kl::d3dx9::mesh {

// Byte size of one element of the given D3DDECLTYPE; 0 for unknown types.
UINT DeclTypeSize(BYTE type);

// The elements before D3DDECL_END(), or an empty list when there is no end
// marker within MAXD3DDECLLENGTH elements or an element has an unknown type.
std::vector<D3DVERTEXELEMENT9> ReadDeclaration(const D3DVERTEXELEMENT9* declaration);

// Bytes per vertex of stream 0: the end of its furthest element.
UINT StreamZeroStride(const std::vector<D3DVERTEXELEMENT9>& elements);

// The stream-0 element with this usage and usage index, or nullptr.
const D3DVERTEXELEMENT9* FindElement(const std::vector<D3DVERTEXELEMENT9>& elements, BYTE usage,
                                     BYTE usageIndex);

// The FVF code for declarations that an FVF can express (position float3,
// optional normal float3, then float2 texture coordinates, packed in that
// order); 0 for every other declaration.
DWORD FvfFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements);

// The layout of meshes loaded from .x files: position, normal, one texture
// coordinate, and a tangent for D3DXComputeTangent to fill.
const D3DVERTEXELEMENT9* LoadedMeshDeclaration();
constexpr UINT kLoadedPositionOffset = 0;
constexpr UINT kLoadedNormalOffset = 12;
constexpr UINT kLoadedTexcoordOffset = 24;
constexpr UINT kLoadedTangentOffset = 32;
constexpr UINT kLoadedStride = 44;

}  // namespace kl::d3dx9::mesh
