#include "d3dx9/mesh/vertex_layout.h"

namespace kl::d3dx9::mesh {
namespace {

constexpr WORD kEndStream = 0xFF;

// Byte sizes indexed by D3DDECLTYPE, FLOAT1 through FLOAT16_4.
constexpr UINT kTypeSizes[] = {
    4,   // FLOAT1
    8,   // FLOAT2
    12,  // FLOAT3
    16,  // FLOAT4
    4,   // D3DCOLOR
    4,   // UBYTE4
    4,   // SHORT2
    8,   // SHORT4
    4,   // UBYTE4N
    4,   // SHORT2N
    8,   // SHORT4N
    4,   // USHORT2N
    8,   // USHORT4N
    4,   // UDEC3
    4,   // DEC3N
    4,   // FLOAT16_2
    8,   // FLOAT16_4
};
static_assert(sizeof kTypeSizes / sizeof kTypeSizes[0] == D3DDECLTYPE_UNUSED,
              "one size per declaration type");

const D3DVERTEXELEMENT9 kLoadedMeshDeclaration[] = {
    {0, kLoadedPositionOffset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, kLoadedNormalOffset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, kLoadedTexcoordOffset, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, kLoadedTangentOffset, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    D3DDECL_END(),
};

bool IsElement(const D3DVERTEXELEMENT9& e, UINT offset, BYTE type, BYTE usage, BYTE index) {
    return e.Stream == 0 && e.Offset == offset && e.Type == type && e.Usage == usage &&
           e.UsageIndex == index;
}

}  // namespace

UINT DeclTypeSize(BYTE type) {
    return type < D3DDECLTYPE_UNUSED ? kTypeSizes[type] : 0;
}

std::vector<D3DVERTEXELEMENT9> ReadDeclaration(const D3DVERTEXELEMENT9* declaration) {
    std::vector<D3DVERTEXELEMENT9> elements;
    if (declaration == nullptr) return elements;
    for (int i = 0; i < MAXD3DDECLLENGTH + 1; ++i) {
        const D3DVERTEXELEMENT9& e = declaration[i];
        if (e.Stream == kEndStream && e.Type == D3DDECLTYPE_UNUSED) return elements;
        if (DeclTypeSize(e.Type) == 0) return {};
        elements.push_back(e);
    }
    return {};
}

UINT StreamZeroStride(const std::vector<D3DVERTEXELEMENT9>& elements) {
    UINT stride = 0;
    for (const D3DVERTEXELEMENT9& e : elements) {
        if (e.Stream == 0 && e.Offset + DeclTypeSize(e.Type) > stride) {
            stride = e.Offset + DeclTypeSize(e.Type);
        }
    }
    return stride;
}

const D3DVERTEXELEMENT9* FindElement(const std::vector<D3DVERTEXELEMENT9>& elements, BYTE usage,
                                     BYTE usageIndex) {
    for (const D3DVERTEXELEMENT9& e : elements) {
        if (e.Stream == 0 && e.Usage == usage && e.UsageIndex == usageIndex) return &e;
    }
    return nullptr;
}

DWORD FvfFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements) {
    size_t i = 0;
    UINT offset = 0;
    if (elements.empty() ||
        !IsElement(elements[0], 0, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0)) {
        return 0;
    }
    DWORD fvf = D3DFVF_XYZ;
    offset = 12;
    ++i;
    if (i < elements.size() &&
        IsElement(elements[i], offset, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0)) {
        fvf |= D3DFVF_NORMAL;
        offset += 12;
        ++i;
    }
    DWORD texcoords = 0;
    while (i < elements.size() && IsElement(elements[i], offset, D3DDECLTYPE_FLOAT2,
                                            D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(texcoords))) {
        ++texcoords;
        offset += 8;
        ++i;
    }
    if (i != elements.size()) return 0;
    return fvf | (texcoords << D3DFVF_TEXCOUNT_SHIFT);
}

const D3DVERTEXELEMENT9* LoadedMeshDeclaration() {
    return kLoadedMeshDeclaration;
}

}  // namespace kl::d3dx9::mesh
