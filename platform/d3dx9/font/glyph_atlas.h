// The CPU side of a font's glyph texture: glyph bitmaps packed in shelves
// into one square of A8R8G8B8 texels (white, coverage in alpha), with the
// region changed since the last upload.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "d3dx9/font/font_face.h"
#include "d3dx9/font/text_layout.h"

namespace kl::d3dx9::font {

struct AtlasSlot {
    int x = 0;  // texel of the bitmap's top-left corner
    int y = 0;
};

class GlyphAtlas {
public:
    explicit GlyphAtlas(int side);

    int Side() const { return side_; }
    const std::vector<std::uint32_t>& Texels() const { return texels_; }

    // The slot of a placed character, or nullptr.
    const AtlasSlot* Find(char32_t character) const;
    // Places a glyph; false when the atlas has no room left for it.
    bool Place(char32_t character, const GlyphBitmap& glyph);
    // Forgets every glyph (their texels become transparent).
    void Clear();

    // The texels changed since the last MarkUploaded; false when none.
    bool ChangedRegion(TextRect* region) const;
    void MarkUploaded();

private:
    void MarkChanged(int left, int top, int right, int bottom);

    int side_;
    std::vector<std::uint32_t> texels_;
    std::unordered_map<char32_t, AtlasSlot> slots_;
    int shelfX_ = 0;
    int shelfY_ = 0;
    int shelfHeight_ = 0;
    bool changed_ = true;  // the texture starts with undefined texels
    TextRect changedRegion_;
};

// A square side that holds at least a few lines of glyphs of this height.
int AtlasSideFor(int lineHeight);

}  // namespace kl::d3dx9::font
