// Shelf packing in a 16x16 atlas: 6x6 glyphs take 8x8 cells with their
// one-texel margin, so four fit and the fifth does not.
#include <gtest/gtest.h>

#include "d3dx9/font/glyph_atlas.h"

namespace kl::d3dx9::font {
namespace {

GlyphBitmap Square(int side, std::uint8_t coverage) {
    GlyphBitmap glyph;
    glyph.metrics = {side, side, 0, side, side};
    glyph.coverage.assign(static_cast<size_t>(side) * side, coverage);
    return glyph;
}

std::uint32_t TexelAt(const GlyphAtlas& atlas, int x, int y) {
    return atlas.Texels()[static_cast<size_t>(y) * atlas.Side() + x];
}

TEST(GlyphAtlas, PacksGlyphsInShelvesUntilFull) {
    GlyphAtlas atlas(16);
    ASSERT_TRUE(atlas.Place(U'a', Square(6, 200)));
    ASSERT_TRUE(atlas.Place(U'b', Square(6, 200)));
    ASSERT_TRUE(atlas.Place(U'c', Square(6, 200)));
    ASSERT_TRUE(atlas.Place(U'd', Square(6, 200)));
    EXPECT_FALSE(atlas.Place(U'e', Square(6, 200)));
    EXPECT_EQ(atlas.Find(U'e'), nullptr);

    const AtlasSlot expected[] = {{1, 1}, {9, 1}, {1, 9}, {9, 9}};
    const char32_t names[] = {U'a', U'b', U'c', U'd'};
    for (int i = 0; i < 4; ++i) {
        const AtlasSlot* slot = atlas.Find(names[i]);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(slot->x, expected[i].x);
        EXPECT_EQ(slot->y, expected[i].y);
    }
}

TEST(GlyphAtlas, StoresCoverageAsAlphaOverWhite) {
    GlyphAtlas atlas(16);
    GlyphBitmap glyph = Square(2, 0);
    glyph.coverage = {10, 20, 30, 40};
    ASSERT_TRUE(atlas.Place(U'x', glyph));
    EXPECT_EQ(TexelAt(atlas, 1, 1), 0x0AFFFFFFu);
    EXPECT_EQ(TexelAt(atlas, 2, 1), 0x14FFFFFFu);
    EXPECT_EQ(TexelAt(atlas, 1, 2), 0x1EFFFFFFu);
    EXPECT_EQ(TexelAt(atlas, 2, 2), 0x28FFFFFFu);
    EXPECT_EQ(TexelAt(atlas, 0, 0), 0x00FFFFFFu);  // the margin stays transparent
}

TEST(GlyphAtlas, TracksTheRegionToUpload) {
    GlyphAtlas atlas(16);
    TextRect region;
    ASSERT_TRUE(atlas.ChangedRegion(&region));  // a new atlas uploads whole
    EXPECT_EQ(region.right, 16);
    atlas.MarkUploaded();
    EXPECT_FALSE(atlas.ChangedRegion(&region));

    ASSERT_TRUE(atlas.Place(U'a', Square(6, 1)));
    ASSERT_TRUE(atlas.Place(U'b', Square(6, 1)));
    ASSERT_TRUE(atlas.ChangedRegion(&region));
    EXPECT_EQ(region.left, 1);
    EXPECT_EQ(region.top, 1);
    EXPECT_EQ(region.right, 15);
    EXPECT_EQ(region.bottom, 7);
}

TEST(GlyphAtlas, ClearFreesTheSpaceAndRejectsOversizedGlyphs) {
    GlyphAtlas atlas(16);
    EXPECT_FALSE(atlas.Place(U'w', Square(15, 1)));
    for (char32_t c : {U'a', U'b', U'c', U'd'}) ASSERT_TRUE(atlas.Place(c, Square(6, 9)));
    atlas.Clear();
    EXPECT_EQ(atlas.Find(U'a'), nullptr);
    EXPECT_EQ(TexelAt(atlas, 1, 1), 0x00FFFFFFu);
    ASSERT_TRUE(atlas.Place(U'e', Square(6, 9)));
    EXPECT_EQ(atlas.Find(U'e')->x, 1);
}

TEST(GlyphAtlas, SideGrowsWithTheLineHeight) {
    EXPECT_EQ(AtlasSideFor(16), 256);
    EXPECT_EQ(AtlasSideFor(30), 512);
    EXPECT_EQ(AtlasSideFor(100), 2048);
    EXPECT_EQ(AtlasSideFor(100000), 4096);
}

}  // namespace
}  // namespace kl::d3dx9::font
