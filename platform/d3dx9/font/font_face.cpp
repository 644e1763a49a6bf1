// Face selection and glyph rendering. GDI sizes a font by its cell (the
// Windows ascent plus descent of the OS/2 table) when the height is positive
// and by its em square when negative; we size the FreeType face the same way
// so that a metric-compatible face lines up with what Windows would draw.
#include "d3dx9/font/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <string>

#include "common/wide_text.h"

namespace kl::d3dx9::font {

namespace {

// GDI's size when the request leaves the height at 0.
constexpr int kDefaultCellHeight = 16;
// GDI treats weights from semibold up as bold when it has to synthesize.
constexpr unsigned kBoldWeight = 600;
// Glyphs larger than the biggest atlas could never be drawn; capping the size
// keeps an absurd request from rasterizing gigabyte bitmaps.
constexpr double kMaximumPixels = 2048.0;

FT_Face AsFace(void* face) {
    return static_cast<FT_Face>(face);
}

// Ascent and descent of the cell in font units: the Windows metrics of the
// OS/2 table, which GDI uses, or the horizontal header's when there is none.
void CellUnits(FT_Face face, double* ascent, double* descent) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
        return;
    }
    *ascent = face->ascender;
    *descent = -face->descender;
}

bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

void CopyCoverage(const FT_Bitmap& bitmap, GlyphBitmap* glyph) {
    const int width = static_cast<int>(bitmap.width);
    const int height = static_cast<int>(bitmap.rows);
    glyph->metrics.width = width;
    glyph->metrics.height = height;
    glyph->coverage.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            std::uint8_t value = 0;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                value = (row[x >> 3] & (0x80 >> (x & 7))) != 0 ? 255 : 0;
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                value = static_cast<std::uint8_t>(row[x] * 255 / (bitmap.num_grays - 1));
            }
            glyph->coverage[static_cast<size_t>(y) * width + x] = value;
        }
    }
}

}  // namespace

bool ResolveFace(const FontRequest& request, FaceLocation* location) {
    if (FcInit() == FcFalse) return false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    const std::string family =
        platform::ToUtf8(std::wstring(request.faceName.begin(), request.faceName.end()));
    if (!family.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    if (request.weight != 0) {
        FcPatternAddDouble(pattern, FC_WEIGHT, FcWeightFromOpenTypeDouble(request.weight));
    }
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (found) {
        location->path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) {
            location->index = index;
        }
        if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch) {
            location->family = reinterpret_cast<const char*>(matchedFamily);
        }
    }
    FcPatternDestroy(match);
    return found;
}

std::unique_ptr<FontFace> FontFace::Open(const FontRequest& request, std::string* error) {
    FaceLocation location;
    if (!ResolveFace(request, &location)) {
        *error = "fontconfig found no font file for the request";
        return nullptr;
    }
    std::unique_ptr<FontFace> face(new FontFace());
    if (!face->Load(location.path, location.index, request, error)) return nullptr;
    face->familyName_ = location.family;
    return face;
}

FontFace::~FontFace() {
    if (face_ != nullptr) FT_Done_Face(AsFace(face_));
    if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool FontFace::Load(const std::string& path, int index, const FontRequest& request,
                    std::string* error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        *error = "FreeType could not be initialised";
        return false;
    }
    library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), index, &face) != 0) {
        *error = "FreeType could not open " + path;
        return false;
    }
    face_ = face;
    filePath_ = path;
    if (!FT_IS_SCALABLE(face)) {
        *error = path + " is not a scalable font";
        return false;
    }
    wantItalic_ = request.italic;
    wantBold_ = request.weight >= kBoldWeight;
    ApplySize(request);
    return true;
}

void FontFace::ApplySize(const FontRequest& request) {
    FT_Face face = AsFace(face_);
    double ascentUnits = 0;
    double descentUnits = 0;
    CellUnits(face, &ascentUnits, &descentUnits);
    const double cellUnits =
        ascentUnits + descentUnits > 0 ? ascentUnits + descentUnits : face->units_per_EM;
    const double unitsPerEm = face->units_per_EM;

    double emPixels = 0;
    if (request.height > 0) {
        emPixels = request.height * unitsPerEm / cellUnits;
    } else {
        emPixels = request.height < 0 ? -static_cast<double>(request.height)
                                      : kDefaultCellHeight * unitsPerEm / cellUnits;
    }
    emPixels = std::min(emPixels, kMaximumPixels);
    lineHeight_ = request.height > 0 && emPixels < kMaximumPixels
                      ? request.height
                      : static_cast<int>(std::lround(cellUnits * emPixels / unitsPerEm));
    ascent_ = static_cast<int>(std::lround(ascentUnits * emPixels / unitsPerEm));

    // A requested width stretches the face horizontally so that 'x', the
    // character GDI takes as the average width, is that many pixels wide.
    double widthPixels = emPixels;
    FT_Fixed xAdvance = 0;
    const FT_UInt xIndex = FT_Get_Char_Index(face, 'x');
    if (request.width > 0 && xIndex != 0 &&
        FT_Get_Advance(face, xIndex, FT_LOAD_NO_SCALE, &xAdvance) == 0 && xAdvance > 0) {
        const double naturalWidth = xAdvance * emPixels / unitsPerEm;
        widthPixels = std::min(emPixels * request.width / naturalWidth, kMaximumPixels);
    }
    FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(widthPixels * 64)),
                     static_cast<FT_F26Dot6>(std::lround(emPixels * 64)), 72, 72);
}

GlyphBitmap FontFace::Render(char32_t character) {
    GlyphBitmap glyph;
    if (IsControl(character)) return glyph;
    FT_Face face = AsFace(face_);
    if (FT_Load_Char(face, character, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) return glyph;
    FT_GlyphSlot slot = face->glyph;
    // GDI synthesizes a style the chosen file lacks; so do we.
    if (wantItalic_ && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0) {
        FT_GlyphSlot_Oblique(slot);
    }
    if (wantBold_ && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0) {
        FT_GlyphSlot_Embolden(slot);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
    CopyCoverage(slot->bitmap, &glyph);
    glyph.metrics.left = slot->bitmap_left;
    glyph.metrics.top = slot->bitmap_top;
    glyph.metrics.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    return glyph;
}

}  // namespace kl::d3dx9::font
