// Vertex declarations, and the declaration a flexible vertex format stands for.
#pragma once

#include <d3d9.h>

#include <vector>

#include "common/com_object.h"

namespace kl::d3d9 {

class Device;

// The elements of an FVF code, without the end marker; empty for a code
// without a position.
std::vector<D3DVERTEXELEMENT9> ElementsFromFvf(DWORD fvf);
// Bytes of one vertex of an FVF code.
UINT FvfStride(DWORD fvf);
// Whether every element has a known type, a stream below 16 and no duplicate
// usage; `count` excludes the end marker.
bool ValidElements(const D3DVERTEXELEMENT9* elements, UINT count);

class VertexDeclaration final : public platform::ComObject<IDirect3DVertexDeclaration9> {
public:
    // `fvf` is the FVF code the declaration was made for, 0 for none.
    VertexDeclaration(Device* device, std::vector<D3DVERTEXELEMENT9> elements, DWORD fvf = 0);
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
    HRESULT STDMETHODCALLTYPE GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }
    DWORD Fvf() const { return fvf_; }

private:
    ~VertexDeclaration() override;
    Device* device_;
    std::vector<D3DVERTEXELEMENT9> elements_;  // without the end marker
    DWORD fvf_;
};

}  // namespace kl::d3d9
