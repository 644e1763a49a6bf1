// Face selection through fontconfig and sizing the way GDI sizes a logical
// font. Liberation Sans has Arial's metrics: Windows ascent 1854 and descent
// 434 font units on a 2048-unit em, and 'x' 1024 units wide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "d3dx9/font/font_face.h"

namespace kl::d3dx9::font {
namespace {

std::unique_ptr<FontFace> OpenFace(const std::u32string& name, int height, unsigned width = 0,
                                   unsigned weight = 0) {
    FontRequest request;
    request.faceName = name;
    request.height = height;
    request.width = width;
    request.weight = weight;
    std::string error;
    auto face = FontFace::Open(request, &error);
    EXPECT_NE(face, nullptr) << error;
    return face;
}

int InkRows(const GlyphBitmap& glyph) {
    int rows = 0;
    for (int y = 0; y < glyph.metrics.height; ++y) {
        const auto row = glyph.coverage.begin() + y * glyph.metrics.width;
        if (std::any_of(row, row + glyph.metrics.width, [](std::uint8_t v) { return v > 0; })) {
            ++rows;
        }
    }
    return rows;
}

TEST(FontFace, ArialResolvesToTheMetricCompatibleLiberationSans) {
    auto face = OpenFace(U"Arial", 30);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->FamilyName(), "Liberation Sans");
    EXPECT_TRUE(std::ifstream(face->FilePath()).good()) << face->FilePath();
}

TEST(FontFace, UnknownFaceFallsBackToAnInstalledDefault) {
    auto face = OpenFace(U"No Such Face Kestralune", 20);
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->FamilyName().empty());
    EXPECT_TRUE(std::ifstream(face->FilePath()).good()) << face->FilePath();
    EXPECT_EQ(face->LineHeight(), 20);
    EXPECT_GT(face->Render(U'A').coverage.size(), 0u);
}

TEST(FontFace, PositiveHeightIsTheCellAndNegativeHeightTheEm) {
    // Cell 30: em = 30 * 2048 / 2288 = 26.85 px; ascent 1854 units = 24.3 px.
    auto cell = OpenFace(U"Arial", 30);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->LineHeight(), 30);
    EXPECT_EQ(cell->Ascent(), 24);
    // Em 20: cell = 2288 / 2048 * 20 = 22.3 px; ascent = 18.1 px.
    auto em = OpenFace(U"Arial", -20);
    ASSERT_NE(em, nullptr);
    EXPECT_EQ(em->LineHeight(), 22);
    EXPECT_EQ(em->Ascent(), 18);
}

TEST(FontFace, WidthStretchesTheFaceSoThatXHasThatWidth) {
    // At cell 30 an unstretched 'x' is 1024 / 2048 * 26.85 = 13.4 px wide.
    auto natural = OpenFace(U"Arial", 30);
    auto stretched = OpenFace(U"Arial", 30, 30);
    ASSERT_NE(natural, nullptr);
    ASSERT_NE(stretched, nullptr);
    EXPECT_NEAR(natural->Render(U'x').metrics.advance, 13, 1);
    EXPECT_NEAR(stretched->Render(U'x').metrics.advance, 30, 1);
    // Height is untouched by the width: the digits keep their ink height.
    EXPECT_EQ(InkRows(natural->Render(U'1')), InkRows(stretched->Render(U'1')));
    EXPECT_EQ(stretched->LineHeight(), 30);
}

TEST(FontFace, GlyphsSitOnTheBaselineWithTheirInk) {
    auto face = OpenFace(U"Arial", 30);
    ASSERT_NE(face, nullptr);
    const GlyphBitmap digit = face->Render(U'7');
    // Digits stand 1409 units tall in Arial: 18.5 px at this size.
    EXPECT_NEAR(digit.metrics.top, 18, 1);
    EXPECT_NEAR(InkRows(digit), 18, 1);
    EXPECT_EQ(static_cast<int>(digit.coverage.size()), digit.metrics.width * digit.metrics.height);
    EXPECT_NEAR(digit.metrics.advance, 15, 1);  // 1139 units

    const GlyphBitmap space = face->Render(U' ');
    EXPECT_TRUE(space.coverage.empty());
    EXPECT_GT(space.metrics.advance, 0);

    const GlyphBitmap newline = face->Render(U'\n');
    EXPECT_TRUE(newline.coverage.empty());
    EXPECT_EQ(newline.metrics.advance, 0);
}

TEST(FontFace, AbsurdSizesAreCappedInsteadOfRasterizedWhole) {
    for (int height : {1 << 30, -(1 << 30)}) {
        auto face = OpenFace(U"Arial", height, 0xFFFFFFFFu);
        ASSERT_NE(face, nullptr);
        // A 2048-pixel em square: the cell is 2288 / 2048 of it.
        EXPECT_EQ(face->LineHeight(), 2288);
        const GlyphBitmap glyph = face->Render(U'x');
        EXPECT_LE(glyph.metrics.width, 2100);
        EXPECT_LE(glyph.metrics.height, 2100);
    }
}

TEST(FontFace, BoldRequestPicksHeavierStrokes) {
    auto regular = OpenFace(U"Arial", 30, 0, 400);
    auto bold = OpenFace(U"Arial", 30, 0, 700);
    ASSERT_NE(regular, nullptr);
    ASSERT_NE(bold, nullptr);
    const auto ink = [](const GlyphBitmap& glyph) {
        long sum = 0;
        for (std::uint8_t v : glyph.coverage) sum += v;
        return sum;
    };
    EXPECT_GT(ink(bold->Render(U'l')), ink(regular->Render(U'l')) * 5 / 4);
}

}  // namespace
}  // namespace kl::d3dx9::font
