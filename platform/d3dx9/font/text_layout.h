// Where DrawTextW puts each glyph: the characters a call covers, lines,
// alignment inside the rectangle, clipping and the height it reports. Pure
// arithmetic on glyph metrics, so it is tested without a device.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "d3dx9/font/font_face.h"

namespace kl::d3dx9::font {

struct TextRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The part of one glyph's bitmap that is drawn, and where on the target.
struct GlyphBox {
    char32_t character = 0;
    int x = 0;  // target pixel of the drawn part's top-left corner
    int y = 0;
    int width = 0;  // size of the drawn part
    int height = 0;
    int sourceX = 0;  // offset of the drawn part inside the glyph bitmap
    int sourceY = 0;
};

struct TextLayout {
    std::vector<GlyphBox> boxes;
    int reportedHeight = 0;  // what DrawTextW returns
    TextRect extent;         // the text's box (what DT_CALCRECT writes back)
};

struct LineMetrics {
    int ascent = 0;
    int lineHeight = 0;
};

// The characters a DrawTextW call covers: all of a terminated string when
// count is negative, otherwise at most `count`, stopping at a terminator
// (a count of 2 on "7" covers only the digit).
std::u32string CharactersToDraw(const wchar_t* text, int count);

// Lays out `text` in `rect` under the DT_ flags of `format`.
TextLayout LayOutText(const std::u32string& text, const TextRect& rect, unsigned format,
                      const LineMetrics& line,
                      const std::function<GlyphMetrics(char32_t)>& metricsOf);

}  // namespace kl::d3dx9::font
