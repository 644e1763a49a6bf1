// Text layout for DrawTextW. Lines break at CR, LF and CR LF unless
// DT_SINGLELINE; each line is aligned by DT_CENTER / DT_RIGHT and the block
// of lines by DT_VCENTER / DT_BOTTOM (GDI honours the vertical flags only on a
// single line; applying them to the block gives the same result there and a
// sensible one elsewhere). Glyphs are clipped to the rectangle unless
// DT_NOCLIP.
#include "d3dx9/font/text_layout.h"

#include <windows.h>

#include <algorithm>

namespace kl::d3dx9::font {

namespace {

// Far beyond any render target, and far enough from the ends of int that
// pen positions and extents cannot overflow.
constexpr int kCoordinateLimit = 1 << 24;

int Limited(int value) {
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

TextRect Limited(const TextRect& rect) {
    return {Limited(rect.left), Limited(rect.top), Limited(rect.right), Limited(rect.bottom)};
}

bool IsLineBreak(char32_t c) {
    return c == U'\n' || c == U'\r';
}

std::vector<std::u32string> SplitLines(const std::u32string& text, bool singleLine) {
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (singleLine || !IsLineBreak(c)) {
            lines.back() += c;
            continue;
        }
        if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
        lines.emplace_back();
    }
    return lines;
}

int LineWidth(const std::u32string& line, const std::function<GlyphMetrics(char32_t)>& metricsOf) {
    int width = 0;
    for (char32_t c : line) width += metricsOf(c).advance;
    return width;
}

int LineStartX(int lineWidth, const TextRect& rect, unsigned format) {
    if ((format & DT_CENTER) != 0) return rect.left + (rect.right - rect.left - lineWidth) / 2;
    if ((format & DT_RIGHT) != 0) return rect.right - lineWidth;
    return rect.left;
}

int BlockTopY(int blockHeight, const TextRect& rect, unsigned format) {
    if ((format & DT_VCENTER) != 0) return rect.top + (rect.bottom - rect.top - blockHeight) / 2;
    if ((format & DT_BOTTOM) != 0) return rect.bottom - blockHeight;
    return rect.top;
}

// Cuts the box to the clip rectangle; false when nothing of it is left.
bool ClipBox(const TextRect& clip, GlyphBox* box) {
    const int left = std::max(box->x, clip.left);
    const int top = std::max(box->y, clip.top);
    const int right = std::min(box->x + box->width, clip.right);
    const int bottom = std::min(box->y + box->height, clip.bottom);
    if (right <= left || bottom <= top) return false;
    box->sourceX += left - box->x;
    box->sourceY += top - box->y;
    box->x = left;
    box->y = top;
    box->width = right - left;
    box->height = bottom - top;
    return true;
}

}  // namespace

std::u32string CharactersToDraw(const wchar_t* text, int count) {
    std::u32string out;
    if (text == nullptr) return out;
    for (int i = 0; count < 0 || i < count; ++i) {
        if (text[i] == L'\0') break;
        out += static_cast<char32_t>(text[i]);
    }
    return out;
}

TextLayout LayOutText(const std::u32string& text, const TextRect& requested, unsigned format,
                      const LineMetrics& line,
                      const std::function<GlyphMetrics(char32_t)>& metricsOf) {
    const TextRect rect = Limited(requested);
    TextLayout layout;
    if (text.empty()) {
        layout.extent = {rect.left, rect.top, rect.left, rect.top};
        return layout;
    }
    const std::vector<std::u32string> lines = SplitLines(text, (format & DT_SINGLELINE) != 0);
    const int blockHeight = static_cast<int>(lines.size()) * line.lineHeight;
    const int blockTop = BlockTopY(blockHeight, rect, format);
    const bool clip = (format & DT_NOCLIP) == 0;

    int widest = 0;
    for (size_t row = 0; row < lines.size(); ++row) {
        const int width = LineWidth(lines[row], metricsOf);
        widest = std::max(widest, width);
        int penX = LineStartX(width, rect, format);
        const int baseline = blockTop + static_cast<int>(row) * line.lineHeight + line.ascent;
        for (char32_t c : lines[row]) {
            const GlyphMetrics metrics = metricsOf(c);
            GlyphBox box{
                c, penX + metrics.left, baseline - metrics.top, metrics.width, metrics.height, 0,
                0};
            penX += metrics.advance;
            if (box.width <= 0 || box.height <= 0) continue;
            if (clip && !ClipBox(rect, &box)) continue;
            layout.boxes.push_back(box);
        }
    }
    layout.extent = {rect.left, rect.top, rect.left + widest, rect.top + blockHeight};
    const bool vertical = (format & (DT_VCENTER | DT_BOTTOM)) != 0;
    layout.reportedHeight = vertical ? blockTop + blockHeight - rect.top : blockHeight;
    return layout;
}

}  // namespace kl::d3dx9::font
