// The frame-rate text: what DrawTextW receives for a given rate, the
// buffer's limit, the kept extremes, and the step without a font.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "framework/framework_state.h"
#include "renderer/render_resources.h"
#include "renderer/statistics.h"

namespace kl::test {
namespace {

// Records what the statistics step asks a font to draw.
class RecordingFont final : public ID3DXFont {
public:
    struct Call {
        std::wstring characters;  // exactly `count` characters, terminators included
        INT count;
        RECT rect;
        DWORD format;
        D3DCOLOR colour;
        bool hadSprite;
    };
    std::vector<Call> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* device) override {
        *device = nullptr;
        return E_FAIL;
    }
    INT STDMETHODCALLTYPE DrawTextW(LPD3DXSPRITE sprite, LPCWSTR text, INT count, LPRECT rect,
                                    DWORD format, D3DCOLOR colour) override {
        calls.push_back(
            {std::wstring(text, text + count), count, *rect, format, colour, sprite != nullptr});
        return 30;
    }
    HRESULT STDMETHODCALLTYPE OnLostDevice() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnResetDevice() override { return S_OK; }
};

std::wstring Formatted(float rate) {
    wchar_t text[kRateTextLength];
    FormatFrameRate(rate, text);
    return text;
}

TEST(FrameRateText, TruncatesTowardZero) {
    EXPECT_EQ(Formatted(123.7f), L"123");
    EXPECT_EQ(Formatted(7.9f), L"7");
    EXPECT_EQ(Formatted(0.0f), L"0");
    EXPECT_EQ(Formatted(0.99f), L"0");
    EXPECT_EQ(Formatted(60.0f), L"60");
    EXPECT_EQ(Formatted(9999.9f), L"9999");
}

TEST(FrameRateText, RatesThatDoNotFitAreHeldAtFourNines) {
    EXPECT_EQ(Formatted(10000.0f), L"9999");
    EXPECT_EQ(Formatted(123456.0f), L"9999");
    EXPECT_EQ(Formatted(std::numeric_limits<float>::infinity()), L"9999");
    EXPECT_EQ(Formatted(std::numeric_limits<float>::max()), L"9999");
    EXPECT_EQ(Formatted(-3.0f), L"0");
    EXPECT_EQ(Formatted(std::nanf("")), L"0");
}

class StatisticsStep : public ::testing::Test {
protected:
    void SetUp() override {
        statsFont = &font;
        statsRect = {0, 0, 68, 30};
        frameRateExtremes = FrameRateExtremes{};
    }
    void TearDown() override { statsFont = nullptr; }

    const RecordingFont::Call& DrawAt(float rate) {
        GetFrameworkState().SetFramesPerSecond(rate);
        DrawStatistics();
        return font.calls.back();
    }

    RecordingFont font;
};

TEST_F(StatisticsStep, DrawsTheFirstTwoCharactersInTranslucentBlack) {
    const RecordingFont::Call& call = DrawAt(123.7f);
    ASSERT_EQ(font.calls.size(), 1u);
    EXPECT_EQ(call.characters, L"12");
    EXPECT_EQ(call.count, 2);
    EXPECT_EQ(call.colour, 0x64000000u);
    EXPECT_EQ(call.format, 0u);
    EXPECT_FALSE(call.hadSprite);
    EXPECT_EQ(call.rect.left, 0);
    EXPECT_EQ(call.rect.top, 0);
    EXPECT_EQ(call.rect.right, 68);
    EXPECT_EQ(call.rect.bottom, 30);
}

TEST_F(StatisticsStep, ShortRatesPassTheirTerminatorAsSecondCharacter) {
    EXPECT_EQ(DrawAt(7.9f).characters, std::wstring(L"7\0", 2));
    // No measurement yet (or -nostats): the rate stays 0.
    EXPECT_EQ(DrawAt(0.0f).characters, std::wstring(L"0\0", 2));
    EXPECT_EQ(DrawAt(25000.0f).characters, L"99");
}

TEST_F(StatisticsStep, WithoutAFontNothingIsDrawnAndRatesAreStillKept) {
    statsFont = nullptr;
    GetFrameworkState().SetFramesPerSecond(42.0f);
    DrawStatistics();
    EXPECT_TRUE(font.calls.empty());
    EXPECT_FLOAT_EQ(frameRateExtremes.highest, 42.0f);
}

TEST_F(StatisticsStep, KeepsTheHighestAndLowestRates) {
    DrawAt(50.0f);  // raises the highest, so the lowest is not looked at
    EXPECT_FLOAT_EQ(frameRateExtremes.highest, 50.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.lowest, 100000.0f);
    DrawAt(40.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.lowest, 40.0f);
    DrawAt(0.5f);  // rates of 1 or less are not taken as the lowest
    DrawAt(1.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.lowest, 40.0f);
    DrawAt(60.0f);
    DrawAt(45.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.highest, 60.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.lowest, 40.0f);
    DrawAt(30.0f);
    EXPECT_FLOAT_EQ(frameRateExtremes.lowest, 30.0f);
}

}  // namespace
}  // namespace kl::test
