#include "recording_objects.h"

#include <cstdio>

namespace kl::test {

namespace {

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

HRESULT NoInterface(void** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOINTERFACE;
}

std::string NameOf(IDirect3DBaseTexture9* texture) {
    if (texture == nullptr) return "none";
    return static_cast<RecordingTexture*>(texture)->name;
}

}  // namespace

HRESULT RecordingSurface::QueryInterface(REFIID, void** out) {
    return NoInterface(out);
}
HRESULT RecordingTexture::QueryInterface(REFIID, void** out) {
    return NoInterface(out);
}
HRESULT RecordingDevice::QueryInterface(REFIID, void** out) {
    return NoInterface(out);
}
HRESULT RecordingEffect::QueryInterface(REFIID, void** out) {
    return NoInterface(out);
}
HRESULT RecordingFont::QueryInterface(REFIID, void** out) {
    return NoInterface(out);
}

HRESULT RecordingTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** out) {
    if (level != 0 || out == nullptr) return D3DERR_INVALIDCALL;
    surface.AddRef();
    *out = &surface;
    return S_OK;
}

HRESULT RecordingDevice::GetBackBuffer(UINT chain, UINT index, D3DBACKBUFFER_TYPE type,
                                       IDirect3DSurface9** out) {
    if (chain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || out == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    backBuffer.AddRef();
    *out = &backBuffer;
    return S_OK;
}

HRESULT RecordingDevice::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect,
                                     IDirect3DSurface9* target, const RECT* targetRect,
                                     D3DTEXTUREFILTERTYPE filter) {
    log_->push_back("StretchRect " + static_cast<RecordingSurface*>(source)->name + " -> " +
                    static_cast<RecordingSurface*>(target)->name +
                    (sourceRect == nullptr && targetRect == nullptr ? " whole" : " part") +
                    " filter " + std::to_string(filter));
    return S_OK;
}

HRESULT RecordingDevice::BeginScene() {
    HRESULT result = S_OK;
    if (!beginSceneResults.empty()) {
        result = beginSceneResults.front();
        beginSceneResults.erase(beginSceneResults.begin());
    }
    log_->push_back(SUCCEEDED(result) ? "BeginScene" : "BeginScene failed");
    return result;
}

HRESULT RecordingDevice::EndScene() {
    log_->push_back("EndScene");
    return S_OK;
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                               float z, DWORD stencil) {
    log_->push_back("Clear " + std::to_string(count) + (rects ? " rects" : "") + " flags " +
                    std::to_string(flags) + " colour " + Hex(colour) + " z " + Number(z) +
                    " stencil " + std::to_string(stencil));
    return S_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    log_->push_back("RS " + std::to_string(state) + " " + std::to_string(value));
    return S_OK;
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* vertices,
                                         UINT stride) {
    log_->push_back("DrawPrimitiveUP " + std::to_string(type) + " " + std::to_string(count) +
                    " stride " + std::to_string(stride));
    return S_OK;
}

HRESULT RecordingDevice::SetFVF(DWORD fvf) {
    log_->push_back("SetFVF " + Hex(fvf));
    return S_OK;
}

HRESULT RecordingEffect::SetFloat(D3DXHANDLE name, FLOAT value) {
    log_->push_back(std::string("SetFloat ") + name + " " + Number(value));
    return S_OK;
}

HRESULT RecordingEffect::SetVector(D3DXHANDLE name, const D3DXVECTOR4* v) {
    log_->push_back(std::string("SetVector ") + name + " " + Number(v->x) + "," + Number(v->y) +
                    "," + Number(v->z) + "," + Number(v->w));
    return S_OK;
}

HRESULT RecordingEffect::SetMatrix(D3DXHANDLE name, const D3DXMATRIX* value) {
    log_->push_back(std::string("SetMatrix ") + name);
    matrices.push_back(*value);
    return S_OK;
}

HRESULT RecordingEffect::SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 value) {
    log_->push_back(std::string("SetTexture ") + name + " " + NameOf(value));
    return S_OK;
}

HRESULT RecordingEffect::SetTechnique(D3DXHANDLE technique) {
    log_->push_back(std::string("SetTechnique ") + technique);
    return S_OK;
}

HRESULT RecordingEffect::Begin(UINT* passes, DWORD flags) {
    log_->push_back("Begin " + std::to_string(flags));
    if (passes != nullptr) *passes = 2;
    return S_OK;
}

HRESULT RecordingEffect::BeginPass(UINT pass) {
    log_->push_back("BeginPass " + std::to_string(pass));
    return S_OK;
}

HRESULT RecordingEffect::CommitChanges() {
    log_->push_back("CommitChanges");
    return S_OK;
}

HRESULT RecordingEffect::EndPass() {
    log_->push_back("EndPass");
    return S_OK;
}

HRESULT RecordingEffect::End() {
    log_->push_back("End");
    return S_OK;
}

INT RecordingFont::DrawTextW(LPD3DXSPRITE, LPCWSTR text, INT count, LPRECT rect, DWORD format,
                             D3DCOLOR colour) {
    std::string characters;
    for (INT i = 0; i < count; ++i) characters += static_cast<char>(text[i] == 0 ? '$' : text[i]);
    log_->push_back("DrawText " + characters + " count " + std::to_string(count) + " format " +
                    std::to_string(format) + " colour " + Hex(colour));
    return 30;
}

}  // namespace kl::test
