#include "d3d9/vertex_declaration.h"

#include "d3d9/device.h"

namespace kl::d3d9 {
namespace {

D3DVERTEXELEMENT9 Element(WORD offset, BYTE type, BYTE usage, BYTE index) {
    return D3DVERTEXELEMENT9{0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index};
}

UINT TypeSize(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            return 4;
        case D3DDECLTYPE_FLOAT2:
            return 8;
        case D3DDECLTYPE_FLOAT3:
            return 12;
        case D3DDECLTYPE_FLOAT4:
            return 16;
        case D3DDECLTYPE_SHORT4:
        case D3DDECLTYPE_SHORT4N:
        case D3DDECLTYPE_USHORT4N:
        case D3DDECLTYPE_FLOAT16_4:
            return 8;
        default:
            return 4;
    }
}

}  // namespace

std::vector<D3DVERTEXELEMENT9> ElementsFromFvf(DWORD fvf) {
    std::vector<D3DVERTEXELEMENT9> out;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        out.push_back(Element(offset, type, usage, index));
        offset = static_cast<WORD>(offset + TypeSize(type));
    };
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    switch (position) {
        case D3DFVF_XYZ:
            add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
            break;
        case D3DFVF_XYZRHW:
            add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
            break;
        case D3DFVF_XYZW:
            add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0);
            break;
        case D3DFVF_XYZB1:
        case D3DFVF_XYZB2:
        case D3DFVF_XYZB3:
        case D3DFVF_XYZB4:
        case D3DFVF_XYZB5: {
            add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
            const int weights = static_cast<int>((position - D3DFVF_XYZ) / 2);
            if (weights > 0)
                add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + (weights > 4 ? 3 : weights - 1)),
                    D3DDECLUSAGE_BLENDWEIGHT, 0);
            break;
        }
        default:
            return {};
    }
    if (fvf & D3DFVF_NORMAL) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE) add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (DWORD i = 0; i < sets && i < 8; ++i) {
        // Two bits per set above bit 16: 0 two floats, 1 three, 2 four, 3 one.
        const DWORD code = (fvf >> (16 + i * 2)) & 3;
        const BYTE type = code == D3DFVF_TEXTUREFORMAT1   ? D3DDECLTYPE_FLOAT1
                          : code == D3DFVF_TEXTUREFORMAT3 ? D3DDECLTYPE_FLOAT3
                          : code == D3DFVF_TEXTUREFORMAT4 ? D3DDECLTYPE_FLOAT4
                                                          : D3DDECLTYPE_FLOAT2;
        add(type, D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(i));
    }
    return out;
}

UINT FvfStride(DWORD fvf) {
    UINT stride = 0;
    for (const D3DVERTEXELEMENT9& e : ElementsFromFvf(fvf)) stride = e.Offset + TypeSize(e.Type);
    return stride;
}

bool ValidElements(const D3DVERTEXELEMENT9* elements, UINT count) {
    for (UINT i = 0; i < count; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        if (e.Stream >= 16 || e.Type >= D3DDECLTYPE_UNUSED || e.Usage > D3DDECLUSAGE_SAMPLE)
            return false;
        for (UINT j = 0; j < i; ++j)
            if (elements[j].Usage == e.Usage && elements[j].UsageIndex == e.UsageIndex)
                return false;
    }
    return true;
}

VertexDeclaration::VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements,
                                     DWORD fvf)
    : device_(device), elements_(std::move(elements)), fvf_(fvf) {
    device_->AddRef();
}

VertexDeclaration::~VertexDeclaration() {
    device_->ForgetDeclaration(this);
    device_->Release();
}

HRESULT VertexDeclaration::GetDevice(IDirect3DDevice9** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) {
    if (!count) return D3DERR_INVALIDCALL;
    const UINT total = static_cast<UINT>(elements_.size()) + 1;  // with the end marker
    if (elements) {
        for (size_t i = 0; i < elements_.size(); ++i) elements[i] = elements_[i];
        elements[elements_.size()] = D3DDECL_END();
    }
    *count = total;
    return D3D_OK;
}

}  // namespace kl::d3d9
