// ID3DXFont drawing on a headless device: the text lands inside its
// rectangle in its colour, nothing outside changes, counts and flags behave,
// and the device's state is as it was afterwards.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "headless_device.h"

namespace {

constexpr UINT kWidth = 160;
constexpr UINT kHeight = 80;
constexpr D3DCOLOR kBackground = 0xFF204060;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb ColourOf(std::uint32_t pixel) {
    return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
            static_cast<int>(pixel & 0xFF)};
}

class FontDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(headless_.Create(kWidth, kHeight));
        device_ = headless_.device;
        ASSERT_EQ(D3DXCreateFontW(device_, 30, 30, FW_DONTCARE, 0, FALSE, ANSI_CHARSET,
                                  OUT_TT_ONLY_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                  L"Arial", &font_),
                  S_OK);
    }

    void TearDown() override {
        if (font_ != nullptr) font_->Release();
        headless_.Release();
    }

    // Clears, draws the text in one scene and reads the back buffer.
    std::vector<std::uint32_t> Draw(const wchar_t* text, INT count, RECT rect, DWORD format,
                                    D3DCOLOR colour, INT* height = nullptr) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        device_->BeginScene();
        const INT drawn = font_->DrawTextW(nullptr, text, count, &rect, format, colour);
        if (height != nullptr) *height = drawn;
        device_->EndScene();
        return ReadBack();
    }

    std::vector<std::uint32_t> ReadBack() {
        std::vector<std::uint32_t> pixels;
        IDirect3DSurface9* backBuffer = nullptr;
        IDirect3DSurface9* copy = nullptr;
        device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
        device_->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                             &copy, nullptr);
        if (backBuffer != nullptr && copy != nullptr &&
            SUCCEEDED(device_->GetRenderTargetData(backBuffer, copy))) {
            D3DLOCKED_RECT locked{};
            if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
                for (UINT y = 0; y < kHeight; ++y) {
                    const auto* row = reinterpret_cast<const std::uint32_t*>(
                        static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch);
                    pixels.insert(pixels.end(), row, row + kWidth);
                }
                copy->UnlockRect();
            }
        }
        if (copy != nullptr) copy->Release();
        if (backBuffer != nullptr) backBuffer->Release();
        return pixels;
    }

    static Rgb At(const std::vector<std::uint32_t>& picture, int x, int y) {
        return ColourOf(picture[static_cast<size_t>(y) * kWidth + x]);
    }

    // Pixels inside / outside the rectangle that differ from the background.
    static void CountChanged(const std::vector<std::uint32_t>& picture, RECT rect, int* inside,
                             int* outside) {
        *inside = *outside = 0;
        const Rgb background = ColourOf(kBackground);
        for (int y = 0; y < static_cast<int>(kHeight); ++y) {
            for (int x = 0; x < static_cast<int>(kWidth); ++x) {
                if (At(picture, x, y) == background) continue;
                const bool in =
                    x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
                ++(in ? *inside : *outside);
            }
        }
    }

    kl::test::HeadlessDevice headless_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXFont* font_ = nullptr;
};

TEST_F(FontDraw, OpaqueTextAppearsInItsColourInsideTheRectangleOnly) {
    const RECT rect{20, 10, 120, 60};
    INT height = 0;
    const auto picture = Draw(L"48", -1, rect, 0, 0xFFFF0000, &height);
    ASSERT_EQ(picture.size(), kWidth * kHeight);
    EXPECT_EQ(height, 30);
    int inside = 0;
    int outside = 0;
    CountChanged(picture, rect, &inside, &outside);
    EXPECT_GT(inside, 150);  // two digits' strokes
    EXPECT_EQ(outside, 0);
    // Every changed pixel lies between the background and pure red, and the
    // strokes' cores are pure red.
    int pureRed = 0;
    const Rgb background = ColourOf(kBackground);
    for (std::uint32_t pixel : picture) {
        const Rgb c = ColourOf(pixel);
        EXPECT_GE(c.r, background.r);
        EXPECT_LE(c.g, background.g);
        EXPECT_LE(c.b, background.b);
        if (c == Rgb{255, 0, 0}) ++pureRed;
    }
    EXPECT_GT(pureRed, 50);
    // The text sits in the rectangle's top-left: nothing in its bottom rows.
    for (int y = 45; y < 60; ++y) {
        for (int x = rect.left; x < rect.right; ++x) EXPECT_TRUE(At(picture, x, y) == background);
    }
}

TEST_F(FontDraw, AlphaOfTheColourBlendsWithWhatIsThere) {
    const RECT rect{20, 10, 120, 60};
    const auto picture = Draw(L"88", -1, rect, 0, 0x80FFFFFF);
    // The strongest pixel is the background half-way to white.
    const Rgb background = ColourOf(kBackground);
    int brightest = 0;
    for (std::uint32_t pixel : picture) brightest = std::max(brightest, ColourOf(pixel).r);
    const int expected = background.r + (255 - background.r) * 128 / 255;
    EXPECT_NEAR(brightest, expected, 2);
}

TEST_F(FontDraw, ClipsToTheRectangleUnlessNoClip) {
    const RECT narrow{20, 10, 32, 30};  // cuts through the first digit
    int inside = 0;
    int outside = 0;
    CountChanged(Draw(L"88", -1, narrow, 0, 0xFFFFFFFF), narrow, &inside, &outside);
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);

    CountChanged(Draw(L"88", -1, narrow, DT_NOCLIP, 0xFFFFFFFF), narrow, &inside, &outside);
    EXPECT_GT(outside, 100);
}

TEST_F(FontDraw, CountStopsAtTheTerminatorAndLimitsLongerStrings) {
    const RECT rect{10, 10, 150, 60};
    const auto digitOnly = Draw(L"7", 1, rect, 0, 0xFFFFFFFF);
    EXPECT_EQ(Draw(L"7", 2, rect, 0, 0xFFFFFFFF), digitOnly);
    EXPECT_EQ(Draw(L"7", -1, rect, 0, 0xFFFFFFFF), digitOnly);
    EXPECT_EQ(Draw(L"7123", 1, rect, 0, 0xFFFFFFFF), digitOnly);
    EXPECT_NE(Draw(L"71", 2, rect, 0, 0xFFFFFFFF), digitOnly);

    INT height = -1;
    int inside = 0;
    int outside = 0;
    CountChanged(Draw(L"7", 0, rect, 0, 0xFFFFFFFF, &height), rect, &inside, &outside);
    EXPECT_EQ(inside + outside, 0);
    EXPECT_EQ(height, 0);
}

TEST_F(FontDraw, AlignmentFlagsMoveTheText) {
    const RECT rect{0, 0, 160, 80};
    const auto leftmost = [&](const std::vector<std::uint32_t>& picture) {
        const Rgb background = ColourOf(kBackground);
        for (int x = 0; x < static_cast<int>(kWidth); ++x) {
            for (int y = 0; y < static_cast<int>(kHeight); ++y) {
                if (!(At(picture, x, y) == background)) return x;
            }
        }
        return -1;
    };
    const auto topmost = [&](const std::vector<std::uint32_t>& picture) {
        const Rgb background = ColourOf(kBackground);
        for (int y = 0; y < static_cast<int>(kHeight); ++y) {
            for (int x = 0; x < static_cast<int>(kWidth); ++x) {
                if (!(At(picture, x, y) == background)) return y;
            }
        }
        return -1;
    };
    const int left = leftmost(Draw(L"1", -1, rect, 0, 0xFFFFFFFF));
    const int centred = leftmost(Draw(L"1", -1, rect, DT_CENTER, 0xFFFFFFFF));
    const int right = leftmost(Draw(L"1", -1, rect, DT_RIGHT, 0xFFFFFFFF));
    EXPECT_LT(left, 20);
    EXPECT_GT(centred, 50);
    EXPECT_LT(centred, 90);
    EXPECT_GT(right, 110);

    const int top = topmost(Draw(L"1", -1, rect, 0, 0xFFFFFFFF));
    INT offset = 0;
    const int bottom =
        topmost(Draw(L"1", -1, rect, DT_BOTTOM | DT_SINGLELINE, 0xFFFFFFFF, &offset));
    EXPECT_EQ(bottom - top, 50);  // the 30-pixel line moved to the 80-pixel bottom
    EXPECT_EQ(offset, 80);
}

TEST_F(FontDraw, CalcRectMeasuresWithoutDrawing) {
    RECT rect{5, 7, 6, 8};
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0);
    device_->BeginScene();
    const INT height = font_->DrawTextW(nullptr, L"88\n8", -1, &rect, DT_CALCRECT, 0xFFFFFFFF);
    device_->EndScene();
    EXPECT_EQ(height, 60);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 7);
    EXPECT_EQ(rect.bottom, 67);
    EXPECT_GT(rect.right, 5 + 40);  // two stretched digits
    int inside = 0;
    int outside = 0;
    CountChanged(ReadBack(), RECT{0, 0, 0, 0}, &inside, &outside);
    EXPECT_EQ(outside, 0);
}

TEST_F(FontDraw, DeviceStateIsLeftAsItWas) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        S_OK);
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } states[] = {
        {D3DRS_ALPHABLENDENABLE, TRUE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ONE},
        {D3DRS_ALPHATESTENABLE, TRUE},
        {D3DRS_ALPHAREF, 1},
        {D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL},
        {D3DRS_CULLMODE, D3DCULL_CW},
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ZWRITEENABLE, FALSE},
        {D3DRS_FILLMODE, D3DFILL_WIREFRAME},
        {D3DRS_COLORWRITEENABLE, 0x7},
        {D3DRS_SCISSORTESTENABLE, TRUE},
    };
    for (const auto& s : states) device_->SetRenderState(s.state, s.value);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device_->SetTexture(0, texture);
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);

    RECT rect{0, 0, 100, 40};
    device_->BeginScene();
    EXPECT_EQ(font_->DrawTextW(nullptr, L"12", 2, &rect, 0, 0x64000000), 30);
    device_->EndScene();

    for (const auto& s : states) {
        DWORD value = 0xDEADBEEF;
        device_->GetRenderState(s.state, &value);
        EXPECT_EQ(value, s.value) << "render state " << s.state;
    }
    DWORD value = 0;
    device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
    device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
    IDirect3DBaseTexture9* bound = nullptr;
    device_->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture);
    if (bound != nullptr) bound->Release();
    DWORD fvf = 0;
    device_->GetFVF(&fvf);
    EXPECT_EQ(fvf, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX1));

    device_->SetTexture(0, nullptr);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(FontDraw, FontHoldsItsDeviceAndCountsReferences) {
    IDirect3DDevice9* fromFont = nullptr;
    ASSERT_EQ(font_->GetDevice(&fromFont), S_OK);
    EXPECT_EQ(fromFont, device_);
    fromFont->Release();
    EXPECT_EQ(font_->GetDevice(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(font_->AddRef(), 2u);
    EXPECT_EQ(font_->Release(), 1u);
    EXPECT_EQ(font_->OnLostDevice(), S_OK);
    EXPECT_EQ(font_->OnResetDevice(), S_OK);
}

TEST_F(FontDraw, UnknownFaceStillDrawsWithTheDefaultFace) {
    ID3DXFont* fallback = nullptr;
    ASSERT_EQ(
        D3DXCreateFontW(device_, 20, 0, FW_BOLD, 1, TRUE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        ANTIALIASED_QUALITY, DEFAULT_PITCH, L"No Such Face Kestralune", &fallback),
        S_OK);
    std::swap(fallback, font_);
    const RECT rect{10, 10, 150, 70};
    int inside = 0;
    int outside = 0;
    CountChanged(Draw(L"Ab", -1, rect, 0, 0xFF00FF00), rect, &inside, &outside);
    std::swap(fallback, font_);
    fallback->Release();
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST(FontCreate, RejectsMissingDeviceOrOutput) {
    ID3DXFont* font = reinterpret_cast<ID3DXFont*>(0x1);
    EXPECT_EQ(D3DXCreateFontW(nullptr, 30, 30, 0, 0, FALSE, 0, 0, 0, 0, L"Arial", &font),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(D3DXCreateFontW(nullptr, 30, 30, 0, 0, FALSE, 0, 0, 0, 0, L"Arial", nullptr),
              D3DERR_INVALIDCALL);
}

}  // namespace
