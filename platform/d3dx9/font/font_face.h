// A typeface chosen the way GDI chooses one from a logical-font request
// (face name, height, width, weight, italic), resolved through fontconfig and
// opened with FreeType at the requested pixel size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kl::d3dx9::font {

// What D3DXCreateFontW asks for, in GDI's units.
struct FontRequest {
    std::u32string faceName;  // family; unknown names fall back to fontconfig's default
    int height = 0;           // > 0: cell height (ascent + descent); < 0: em height; 0: default
    unsigned width = 0;       // 0: natural proportions; else the width of 'x' in pixels
    unsigned weight = 0;      // 0 (FW_DONTCARE) or 1 to 1000, 400 normal, 700 bold
    bool italic = false;
};

// Where a glyph's bitmap sits relative to the pen on the baseline.
struct GlyphMetrics {
    int width = 0;
    int height = 0;
    int left = 0;     // pen x to the bitmap's left edge
    int top = 0;      // baseline up to the bitmap's top edge
    int advance = 0;  // pen movement in whole pixels
};

// One rasterized glyph: its metrics and an 8-bit coverage bitmap.
struct GlyphBitmap {
    GlyphMetrics metrics;
    std::vector<std::uint8_t> coverage;  // width * height, rows top to bottom
};

class FontFace {
public:
    // Resolves and opens the face; nullptr (with `error` set) when fontconfig
    // offers no usable font file at all.
    static std::unique_ptr<FontFace> Open(const FontRequest& request, std::string* error);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& FamilyName() const { return familyName_; }
    const std::string& FilePath() const { return filePath_; }
    int Ascent() const { return ascent_; }
    int LineHeight() const { return lineHeight_; }

    // Renders one character; characters the face lacks come out as its
    // missing-glyph shape, control characters as nothing with no advance.
    GlyphBitmap Render(char32_t character);

private:
    FontFace() = default;
    bool Load(const std::string& path, int index, const FontRequest& request, std::string* error);
    void ApplySize(const FontRequest& request);

    void* library_ = nullptr;  // FT_Library
    void* face_ = nullptr;     // FT_Face
    std::string familyName_;
    std::string filePath_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    bool wantItalic_ = false;
    bool wantBold_ = false;
};

// The fontconfig match for a request: file, face index within it and family.
struct FaceLocation {
    std::string path;
    int index = 0;
    std::string family;
};
bool ResolveFace(const FontRequest& request, FaceLocation* location);

}  // namespace kl::d3dx9::font
