// DrawTextW's layout on made-up metrics: every printable character is an
// 8x10 bitmap one pixel right of the pen with its top 10 pixels above the
// baseline and an advance of 10; lines are 16 pixels with the baseline 12
// below the line's top.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>

#include "d3dx9/font/text_layout.h"

namespace kl::d3dx9::font {
namespace {

GlyphMetrics TestMetrics(char32_t c) {
    if (c < 0x20) return {};
    if (c == U' ') return {0, 0, 0, 0, 10};
    return {8, 10, 1, 10, 10};
}

TextLayout Lay(const std::u32string& text, TextRect rect, unsigned format) {
    return LayOutText(text, rect, format, {12, 16}, TestMetrics);
}

void ExpectBox(const GlyphBox& box, int x, int y, int width, int height, int sourceX = 0,
               int sourceY = 0) {
    EXPECT_EQ(box.x, x);
    EXPECT_EQ(box.y, y);
    EXPECT_EQ(box.width, width);
    EXPECT_EQ(box.height, height);
    EXPECT_EQ(box.sourceX, sourceX);
    EXPECT_EQ(box.sourceY, sourceY);
}

TEST(TextCount, CoversCountedCharactersUpToTheTerminator) {
    EXPECT_EQ(CharactersToDraw(L"123", 2), U"12");
    EXPECT_EQ(CharactersToDraw(L"7", 2), U"7");  // the digit and its terminator
    EXPECT_EQ(CharactersToDraw(L"12345", -1), U"12345");
    EXPECT_EQ(CharactersToDraw(L"abc", 0), U"");
    EXPECT_EQ(CharactersToDraw(nullptr, 5), U"");
    EXPECT_EQ(CharactersToDraw(L"\x263A!", 1), U"\x263A");
}

TEST(TextLayout, TopLeftTextStartsAtTheRectangleCorner) {
    const TextLayout layout = Lay(U"A B", {100, 50, 200, 80}, DT_LEFT | DT_TOP);
    ASSERT_EQ(layout.boxes.size(), 2u);  // the space has no ink
    ExpectBox(layout.boxes[0], 101, 52, 8, 10);
    ExpectBox(layout.boxes[1], 121, 52, 8, 10);
    EXPECT_EQ(layout.boxes[1].character, U'B');
    EXPECT_EQ(layout.reportedHeight, 16);
}

TEST(TextLayout, ClipsGlyphsToTheRectangleOnEverySide) {
    // Right and bottom: 'B' loses 4 columns, both lose their last 4 rows.
    TextLayout layout = Lay(U"AB", {100, 50, 115, 58}, 0);
    ASSERT_EQ(layout.boxes.size(), 2u);
    ExpectBox(layout.boxes[0], 101, 52, 8, 6);
    ExpectBox(layout.boxes[1], 111, 52, 4, 6);

    // Left: right-aligned "ABC" starts 5 pixels before the rectangle.
    layout = Lay(U"ABC", {100, 50, 125, 80}, DT_RIGHT);
    ASSERT_EQ(layout.boxes.size(), 3u);
    ExpectBox(layout.boxes[0], 100, 52, 4, 10, 4, 0);

    // Top: bottom-aligned text in a rectangle lower than a line.
    layout = Lay(U"A", {100, 50, 200, 56}, DT_BOTTOM);
    ASSERT_EQ(layout.boxes.size(), 1u);
    ExpectBox(layout.boxes[0], 101, 50, 8, 2, 0, 8);

    // A glyph wholly outside is dropped; an empty rectangle shows nothing.
    EXPECT_EQ(Lay(U"ABCDEF", {100, 50, 120, 80}, 0).boxes.size(), 2u);
    const TextLayout empty = Lay(U"A", {100, 50, 100, 80}, 0);
    EXPECT_TRUE(empty.boxes.empty());
    EXPECT_EQ(empty.reportedHeight, 16);
}

TEST(TextLayout, NoClipDrawsOutsideTheRectangle) {
    const TextLayout layout = Lay(U"ABC", {100, 50, 125, 55}, DT_RIGHT | DT_NOCLIP);
    ASSERT_EQ(layout.boxes.size(), 3u);
    ExpectBox(layout.boxes[0], 96, 52, 8, 10);
}

TEST(TextLayout, AlignsLinesAndTheBlockInsideTheRectangle) {
    TextLayout layout = Lay(U"AB", {100, 50, 200, 80}, DT_CENTER);
    EXPECT_EQ(layout.boxes[0].x, 141);  // (100 - 20) / 2 from the left edge

    layout = Lay(U"A", {100, 50, 200, 80}, DT_BOTTOM);
    EXPECT_EQ(layout.boxes[0].y, 66);      // block top 80 - 16, baseline 76
    EXPECT_EQ(layout.reportedHeight, 30);  // from the rectangle's top to the text's bottom

    layout = Lay(U"A", {100, 50, 200, 80}, DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(layout.boxes[0].y, 59);  // block top 50 + (30 - 16) / 2
    EXPECT_EQ(layout.reportedHeight, 23);
}

TEST(TextLayout, BreaksLinesUnlessSingleLine) {
    for (const char32_t* text : {U"A\nBC", U"A\r\nBC", U"A\rBC"}) {
        const TextLayout layout = Lay(text, {0, 0, 100, 100}, 0);
        ASSERT_EQ(layout.boxes.size(), 3u);
        ExpectBox(layout.boxes[1], 1, 18, 8, 10);
        EXPECT_EQ(layout.reportedHeight, 32);
    }
    const TextLayout single = Lay(U"A\nB", {0, 0, 100, 100}, DT_SINGLELINE);
    ASSERT_EQ(single.boxes.size(), 2u);
    ExpectBox(single.boxes[1], 11, 2, 8, 10);
    EXPECT_EQ(single.reportedHeight, 16);
}

TEST(TextLayout, ExtentIsTheWidestLineByTheLines) {
    const TextLayout layout = Lay(U"AB\nABC", {10, 20, 11, 21}, DT_CALCRECT);
    EXPECT_EQ(layout.extent.left, 10);
    EXPECT_EQ(layout.extent.top, 20);
    EXPECT_EQ(layout.extent.right, 40);
    EXPECT_EQ(layout.extent.bottom, 52);
    EXPECT_EQ(layout.reportedHeight, 32);
}

TEST(TextLayout, ExtremeRectanglesDoNotOverflow) {
    const TextRect huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const TextLayout layout = Lay(U"AB", huge, DT_RIGHT | DT_BOTTOM);
    ASSERT_EQ(layout.boxes.size(), 2u);
    EXPECT_EQ(layout.boxes[1].x, (1 << 24) - 10 + 1);
    EXPECT_EQ(layout.reportedHeight, (1 << 24) + (1 << 24));
    EXPECT_TRUE(Lay(U"AB", {INT_MAX, INT_MAX, INT_MIN, INT_MIN}, 0).boxes.empty());
}

TEST(TextLayout, EmptyTextReportsNoHeight) {
    const TextLayout layout = Lay(U"", {0, 0, 100, 100}, 0);
    EXPECT_TRUE(layout.boxes.empty());
    EXPECT_EQ(layout.reportedHeight, 0);
}

}  // namespace
}  // namespace kl::d3dx9::font
