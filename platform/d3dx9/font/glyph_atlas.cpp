// Shelf packing: glyphs go left to right along a shelf as tall as its tallest
// glyph; a glyph that does not fit the row starts a new shelf below. One
// texel of space around each glyph keeps filtered samples from picking up a
// neighbour.
#include "d3dx9/font/glyph_atlas.h"

#include <algorithm>

namespace kl::d3dx9::font {

namespace {

constexpr int kPadding = 1;
constexpr int kMinimumSide = 256;
constexpr int kMaximumSide = 4096;
// Rows of glyphs the atlas is sized for before it has to start over.
constexpr int kRowsOfGlyphs = 12;

std::uint32_t WhiteWithAlpha(std::uint8_t alpha) {
    return (static_cast<std::uint32_t>(alpha) << 24) | 0x00FFFFFFu;
}

}  // namespace

int AtlasSideFor(int lineHeight) {
    int side = kMinimumSide;
    while (side < lineHeight * kRowsOfGlyphs && side < kMaximumSide) side *= 2;
    return side;
}

GlyphAtlas::GlyphAtlas(int side)
    : side_(side), texels_(static_cast<size_t>(side) * side, WhiteWithAlpha(0)) {
    changedRegion_ = {0, 0, side, side};
}

const AtlasSlot* GlyphAtlas::Find(char32_t character) const {
    const auto found = slots_.find(character);
    return found == slots_.end() ? nullptr : &found->second;
}

bool GlyphAtlas::Place(char32_t character, const GlyphBitmap& glyph) {
    const int width = glyph.metrics.width;
    const int height = glyph.metrics.height;
    if (width + 2 * kPadding > side_ || height + 2 * kPadding > side_) return false;
    if (shelfX_ + width + 2 * kPadding > side_) {
        shelfY_ += shelfHeight_;
        shelfX_ = 0;
        shelfHeight_ = 0;
    }
    if (shelfY_ + height + 2 * kPadding > side_) return false;

    const AtlasSlot slot{shelfX_ + kPadding, shelfY_ + kPadding};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            texels_[static_cast<size_t>(slot.y + y) * side_ + slot.x + x] =
                WhiteWithAlpha(glyph.coverage[static_cast<size_t>(y) * width + x]);
        }
    }
    MarkChanged(slot.x, slot.y, slot.x + width, slot.y + height);
    slots_[character] = slot;
    shelfX_ += width + 2 * kPadding;
    shelfHeight_ = std::max(shelfHeight_, height + 2 * kPadding);
    return true;
}

void GlyphAtlas::Clear() {
    std::fill(texels_.begin(), texels_.end(), WhiteWithAlpha(0));
    slots_.clear();
    shelfX_ = shelfY_ = shelfHeight_ = 0;
    MarkChanged(0, 0, side_, side_);
}

bool GlyphAtlas::ChangedRegion(TextRect* region) const {
    if (!changed_) return false;
    *region = changedRegion_;
    return true;
}

void GlyphAtlas::MarkUploaded() {
    changed_ = false;
}

void GlyphAtlas::MarkChanged(int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top) return;
    if (!changed_) {
        changedRegion_ = {left, top, right, bottom};
        changed_ = true;
        return;
    }
    changedRegion_.left = std::min(changedRegion_.left, left);
    changedRegion_.top = std::min(changedRegion_.top, top);
    changedRegion_.right = std::max(changedRegion_.right, right);
    changedRegion_.bottom = std::max(changedRegion_.bottom, bottom);
}

}  // namespace kl::d3dx9::font
