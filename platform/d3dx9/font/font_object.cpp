// ID3DXFont: a FreeType face, the glyphs it has rendered, an atlas texture
// holding them and the program that draws them. DrawTextW lays the text out,
// brings new glyphs into the atlas, and draws one textured quad per visible
// glyph with alpha blending, restoring every device state it changed.
//
// Arguments GDI uses to choose among installed fonts and we do not need on a
// fontconfig system are accepted and ignored: mip levels (the atlas has one
// level and is sampled texel for texel), character set, output precision,
// quality and pitch and family. A sprite passed to DrawTextW is ignored too:
// text is always drawn at once.
#include <d3dx9.h>

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/com_object.h"
#include "common/log.h"
#include "d3d9/device_bridge.h"
#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/font/font_face.h"
#include "d3dx9/font/font_program.h"
#include "d3dx9/font/glyph_atlas.h"
#include "d3dx9/font/saved_device_state.h"
#include "d3dx9/font/text_layout.h"

namespace kl::d3dx9::font {

namespace {

// Direct3D 9 samples screen-space quads at pixel centres: a quad meant to
// cover whole pixels starts half a pixel up and to the left.
constexpr float kPixelCentreShift = 0.5f;

void SetTextStates(IDirect3DDevice9* device) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    device->SetRenderState(D3DRS_SRGBWRITEENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device->SetSamplerState(0, D3DSAMP_SRGBTEXTURE, FALSE);
}

class Font final : public kl::platform::ComObject<ID3DXFont> {
public:
    Font(IDirect3DDevice9* device, std::unique_ptr<FontFace> face)
        : device_(device), face_(std::move(face)), atlas_(AtlasSideFor(face_->LineHeight())) {
        device_->AddRef();
    }

    HRESULT Initialize(std::string* log) {
        if (!program_->Build(device_, log)) return E_FAIL;
        HRESULT hr = device_->CreateVertexDeclaration(FontProgram::kVertexElements, &declaration_);
        if (FAILED(hr)) return hr;
        return device_->CreateTexture(atlas_.Side(), atlas_.Side(), 1, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, &texture_, nullptr);
    }

    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override {
        if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *ppDevice = device_;
        return S_OK;
    }

    INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE, LPCWSTR pString, INT Count, LPRECT pRect,
                                    DWORD Format, D3DCOLOR Color) override {
        const std::u32string text = CharactersToDraw(pString, Count);
        TextRect area;
        if (pRect != nullptr) {
            area = {pRect->left, pRect->top, pRect->right, pRect->bottom};
        } else {
            Format |= DT_NOCLIP;  // no rectangle: text starts at the origin, unclipped
        }
        RenderMissingGlyphs(text);
        const TextLayout layout =
            LayOutText(text, area, Format, {face_->Ascent(), face_->LineHeight()},
                       [this](char32_t c) { return glyphs_[c].metrics; });
        if ((Format & DT_CALCRECT) != 0) {
            if (pRect != nullptr) {
                pRect->right = layout.extent.right;
                pRect->bottom = layout.extent.bottom;
            }
            return layout.reportedHeight;
        }
        if (!layout.boxes.empty() && FAILED(DrawBoxes(layout.boxes, Color))) return 0;
        return layout.reportedHeight;
    }

    // The atlas is a managed texture and the declaration and program are not
    // pool resources, so nothing has to be dropped or remade around a reset.
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }

private:
    ~Font() {
        if (texture_ != nullptr) texture_->Release();
        if (declaration_ != nullptr) declaration_->Release();
        program_.reset();  // deleting the GL program needs the device's context
        device_->Release();
    }

    void RenderMissingGlyphs(const std::u32string& text) {
        for (char32_t c : text) {
            if (glyphs_.find(c) == glyphs_.end()) glyphs_[c] = face_->Render(c);
        }
        // A full atlas starts over with only this text's glyphs; a glyph that
        // still does not fit is left out of the picture.
        if (!PlaceGlyphs(text)) {
            atlas_.Clear();
            PlaceGlyphs(text);
        }
    }

    bool PlaceGlyphs(const std::u32string& text) {
        bool placedAll = true;
        for (char32_t c : text) {
            const GlyphBitmap& glyph = glyphs_[c];
            if (glyph.coverage.empty() || atlas_.Find(c) != nullptr) continue;
            placedAll = atlas_.Place(c, glyph) && placedAll;
        }
        return placedAll;
    }

    HRESULT UploadAtlas() {
        TextRect region;
        if (!atlas_.ChangedRegion(&region)) return S_OK;
        const RECT lockArea{region.left, region.top, region.right, region.bottom};
        D3DLOCKED_RECT locked{};
        const HRESULT hr = texture_->LockRect(0, &locked, &lockArea, 0);
        if (FAILED(hr)) return hr;
        const size_t rowBytes = static_cast<size_t>(region.right - region.left) * 4;
        for (int y = region.top; y < region.bottom; ++y) {
            const std::uint32_t* source =
                atlas_.Texels().data() + static_cast<size_t>(y) * atlas_.Side() + region.left;
            auto* target = static_cast<unsigned char*>(locked.pBits) +
                           static_cast<std::ptrdiff_t>(y - region.top) * locked.Pitch;
            std::memcpy(target, source, rowBytes);
        }
        texture_->UnlockRect(0);
        atlas_.MarkUploaded();
        return S_OK;
    }

    std::vector<GlyphVertex> QuadsFor(const std::vector<GlyphBox>& boxes) const {
        std::vector<GlyphVertex> vertices;
        vertices.reserve(boxes.size() * 6);
        const float side = static_cast<float>(atlas_.Side());
        for (const GlyphBox& box : boxes) {
            const AtlasSlot* slot = atlas_.Find(box.character);
            if (slot == nullptr) continue;
            const float x0 = static_cast<float>(box.x) - kPixelCentreShift;
            const float y0 = static_cast<float>(box.y) - kPixelCentreShift;
            const float x1 = x0 + static_cast<float>(box.width);
            const float y1 = y0 + static_cast<float>(box.height);
            const float u0 = static_cast<float>(slot->x + box.sourceX) / side;
            const float v0 = static_cast<float>(slot->y + box.sourceY) / side;
            const float u1 = u0 + static_cast<float>(box.width) / side;
            const float v1 = v0 + static_cast<float>(box.height) / side;
            const GlyphVertex topLeft{x0, y0, 0, 1, u0, v0};
            const GlyphVertex topRight{x1, y0, 0, 1, u1, v0};
            const GlyphVertex bottomLeft{x0, y1, 0, 1, u0, v1};
            const GlyphVertex bottomRight{x1, y1, 0, 1, u1, v1};
            vertices.insert(vertices.end(),
                            {topLeft, topRight, bottomLeft, bottomLeft, topRight, bottomRight});
        }
        return vertices;
    }

    HRESULT DrawBoxes(const std::vector<GlyphBox>& boxes, D3DCOLOR color) {
        const HRESULT uploaded = UploadAtlas();
        if (FAILED(uploaded)) return uploaded;
        const std::vector<GlyphVertex> vertices = QuadsFor(boxes);
        if (vertices.empty()) return S_OK;
        D3DVIEWPORT9 viewport{};
        const HRESULT hr = device_->GetViewport(&viewport);
        if (FAILED(hr)) return hr;
        program_->SetDrawValues(viewport, color);

        SavedDeviceState saved(device_);
        SetTextStates(device_);
        device_->SetTexture(0, texture_);
        device_->SetVertexDeclaration(declaration_);
        kl::d3d9::BindProgram(device_, &program_->Binding());
        const HRESULT drawn =
            device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices.size() / 3),
                                     vertices.data(), sizeof(GlyphVertex));
        kl::d3d9::BindProgram(device_, nullptr);
        return drawn;
    }

    IDirect3DDevice9* device_;
    std::unique_ptr<FontFace> face_;
    GlyphAtlas atlas_;
    std::unordered_map<char32_t, GlyphBitmap> glyphs_;
    std::unique_ptr<FontProgram> program_ = std::make_unique<FontProgram>();
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DTexture9* texture_ = nullptr;
};

FontRequest RequestFrom(INT height, UINT width, UINT weight, BOOL italic, LPCWSTR faceName) {
    FontRequest request;
    request.faceName = CharactersToDraw(faceName, -1);
    request.height = height;
    request.width = width;
    request.weight = weight;
    request.italic = italic != FALSE;
    return request;
}

}  // namespace

}  // namespace kl::d3dx9::font

extern "C" HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 pDevice, INT Height, UINT Width,
                                          UINT Weight, UINT MipLevels, BOOL Italic, DWORD CharSet,
                                          DWORD OutputPrecision, DWORD Quality,
                                          DWORD PitchAndFamily, LPCWSTR pFaceName,
                                          LPD3DXFONT* ppFont) {
    using namespace kl::d3dx9::font;
    if (ppFont == nullptr) return D3DERR_INVALIDCALL;
    *ppFont = nullptr;
    if (pDevice == nullptr) return D3DERR_INVALIDCALL;
    return kl::d3dx9::AnswerOutOfMemory([&] {
        std::string error;
        std::unique_ptr<FontFace> face =
            FontFace::Open(RequestFrom(Height, Width, Weight, Italic, pFaceName), &error);
        if (face == nullptr) {
            kl::platform::Log(kl::platform::LogLevel::Error, "D3DXCreateFontW: %s", error.c_str());
            return E_FAIL;
        }
        auto* font = new Font(pDevice, std::move(face));
        const HRESULT hr = font->Initialize(&error);
        if (FAILED(hr)) {
            if (!error.empty())
                kl::platform::Log(kl::platform::LogLevel::Error, "D3DXCreateFontW: %s",
                                  error.c_str());
            font->Release();
            return hr;
        }
        *ppFont = font;
        return S_OK;
    });
}
