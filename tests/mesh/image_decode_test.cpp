// Image files decoded to A8R8G8B8 bytes: each format from bytes written here,
// DXT blocks against hand-worked palettes, broken files, and the mip helpers.
#include <gtest/gtest.h>

#include <string>

#include "d3dx9/texture/image.h"
#include "d3dx9/texture/mip_chain.h"
#include "image_bytes.h"

#include "stb_write.h"

namespace {

using kl::d3dx9::texture::DecodeStatus;
using kl::d3dx9::texture::Image;
using kl::test::AppendU16;
using kl::test::AppendU32;
using kl::test::Bgra;

DecodeStatus Decode(const std::string& bytes, Image& image) {
    return kl::d3dx9::texture::DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()),
                                           bytes.size(), image);
}

#define EXPECT_PIXEL(image, x, y, B, G, R, A)                             \
    do {                                                                  \
        const uint8_t* p_ = (image).Pixel(x, y);                          \
        EXPECT_EQ(Bgra({p_[0], p_[1], p_[2], p_[3]}), Bgra({B, G, R, A})) \
            << "pixel (" << (x) << ", " << (y) << ")";                    \
    } while (0)

}  // namespace

namespace kl::test {
bool operator==(const Bgra& a, const Bgra& b) {
    return a.b == b.b && a.g == b.g && a.r == b.r && a.a == b.a;
}
std::ostream& operator<<(std::ostream& os, const Bgra& p) {
    return os << "bgra(" << int(p.b) << ", " << int(p.g) << ", " << int(p.r) << ", " << int(p.a)
              << ")";
}
}  // namespace kl::test

namespace {

const std::vector<Bgra> kFourPixels = {
    {0, 0, 255, 255}, {0, 255, 0, 128}, {255, 0, 0, 0}, {10, 20, 30, 255}};

TEST(ImageFiles, Bmp24IsOpaqueAndTopRowFirst) {
    Image image;
    ASSERT_EQ(Decode(kl::test::MakeBmp24(2, 2, kFourPixels), image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 2u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 0, 0, 255, 255);
    EXPECT_PIXEL(image, 1, 0, 0, 255, 0, 255);
    EXPECT_PIXEL(image, 0, 1, 255, 0, 0, 255);
    EXPECT_PIXEL(image, 1, 1, 10, 20, 30, 255);
}

TEST(ImageFiles, Tga32KeepsAlpha) {
    Image image;
    ASSERT_EQ(Decode(kl::test::MakeTga32(2, 2, kFourPixels), image), DecodeStatus::Ok);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 0, 0, 255, 255);
    EXPECT_PIXEL(image, 1, 0, 0, 255, 0, 128);
    EXPECT_PIXEL(image, 0, 1, 255, 0, 0, 0);
}

TEST(ImageFiles, PngWithAndWithoutAlpha) {
    const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 64, 0, 0, 255, 255, 1, 2, 3, 255};
    std::string png;
    ASSERT_TRUE(kl::test::WritePng(png, 2, 2, 4, rgba));
    Image image;
    ASSERT_EQ(Decode(png, image), DecodeStatus::Ok);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 0, 0, 255, 255);
    EXPECT_PIXEL(image, 1, 0, 0, 255, 0, 64);
    EXPECT_PIXEL(image, 1, 1, 3, 2, 1, 255);

    const uint8_t rgb[] = {9, 8, 7, 6, 5, 4};
    std::string opaque;
    ASSERT_TRUE(kl::test::WritePng(opaque, 2, 1, 3, rgb));
    ASSERT_EQ(Decode(opaque, image), DecodeStatus::Ok);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_PIXEL(image, 1, 0, 4, 5, 6, 255);
}

TEST(ImageFiles, JpegOfAFlatColourDecodesNearIt) {
    std::vector<uint8_t> rgb(16 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 200;
        rgb[i + 1] = 100;
        rgb[i + 2] = 50;
    }
    std::string jpg;
    ASSERT_TRUE(kl::test::WriteJpg(jpg, 16, 16, 3, rgb.data()));
    Image image;
    ASSERT_EQ(Decode(jpg, image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 16u);
    EXPECT_FALSE(image.hasAlpha);
    const uint8_t* p = image.Pixel(8, 8);
    EXPECT_NEAR(p[2], 200, 4);
    EXPECT_NEAR(p[1], 100, 4);
    EXPECT_NEAR(p[0], 50, 4);
    EXPECT_EQ(p[3], 255);
}

TEST(DdsFiles, Uncompressed32And24Bit) {
    std::string argb = kl::test::MakeDdsHeader(2, 1, "", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
    AppendU32(argb, 0x80112233u);
    AppendU32(argb, 0xFFAABBCCu);
    Image image;
    ASSERT_EQ(Decode(argb, image), DecodeStatus::Ok);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 0x33, 0x22, 0x11, 0x80);
    EXPECT_PIXEL(image, 1, 0, 0xCC, 0xBB, 0xAA, 0xFF);

    std::string rgb = kl::test::MakeDdsHeader(1, 2, "", 24, 0xFF0000, 0xFF00, 0xFF);
    rgb += std::string("\x01\x02\x03\x04\x05\x06", 6);
    ASSERT_EQ(Decode(rgb, image), DecodeStatus::Ok);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 1, 2, 3, 255);
    EXPECT_PIXEL(image, 0, 1, 4, 5, 6, 255);
}

TEST(DdsFiles, Uncompressed16BitMasksScaleToEightBits) {
    std::string r5g6b5 = kl::test::MakeDdsHeader(1, 1, "", 16, 0xF800, 0x07E0, 0x001F);
    AppendU16(r5g6b5, 0xF81F);  // full red and blue, no green
    Image image;
    ASSERT_EQ(Decode(r5g6b5, image), DecodeStatus::Ok);
    EXPECT_PIXEL(image, 0, 0, 255, 0, 255, 255);
}

void SetU32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Rows padded to four bytes, announced by the header's pitch; a 24-bit
// format with a stray alpha mask beyond its bytes stays opaque.
TEST(DdsFiles, PaddedRowsAndMasksBeyondThePixel) {
    std::string dds = kl::test::MakeDdsHeader(3, 2, "", 24, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
    SetU32(dds, 8, 0x100F);  // the pitch field is valid
    SetU32(dds, 20, 12);
    dds += std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\0\0\0", 12);
    dds += std::string("\x11\x12\x13\x14\x15\x16\x17\x18\x19\0\0\0", 12);
    Image image;
    ASSERT_EQ(Decode(dds, image), DecodeStatus::Ok);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_PIXEL(image, 2, 0, 7, 8, 9, 255);
    EXPECT_PIXEL(image, 0, 1, 0x11, 0x12, 0x13, 255);
    dds.resize(dds.size() - 1);  // the last row's padding is part of the data
    EXPECT_EQ(Decode(dds, image), DecodeStatus::Corrupt);
}

// One DXT1 block with red and blue endpoints and the indices 0, 1, 2, 3 in
// the first row: red, blue, 2/3 red + 1/3 blue, 1/3 red + 2/3 blue.
TEST(DdsFiles, Dxt1FourColourBlock) {
    std::string dds = kl::test::MakeDdsHeader(4, 4, "DXT1");
    AppendU16(dds, 0xF800);
    AppendU16(dds, 0x001F);
    AppendU32(dds, 0xE4);  // row 0: indices 0, 1, 2, 3; other rows index 0
    Image image;
    ASSERT_EQ(Decode(dds, image), DecodeStatus::Ok);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 0, 0, 255, 255);
    EXPECT_PIXEL(image, 1, 0, 255, 0, 0, 255);
    EXPECT_PIXEL(image, 2, 0, 85, 0, 170, 255);
    EXPECT_PIXEL(image, 3, 0, 170, 0, 85, 255);
    EXPECT_PIXEL(image, 3, 3, 0, 0, 255, 255);
}

// Endpoints in the other order select three colours plus transparent black;
// a 2×2 image uses only the top-left corner of its block.
TEST(DdsFiles, Dxt1ThreeColourBlockHasTransparency) {
    std::string dds = kl::test::MakeDdsHeader(2, 2, "DXT1");
    AppendU16(dds, 0x001F);
    AppendU16(dds, 0xF800);
    AppendU32(dds, 0x3E);  // row 0: 2, 3, 3, 0; row 1: 0, ...
    Image image;
    ASSERT_EQ(Decode(dds, image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 2u);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 127, 0, 127, 255);
    EXPECT_PIXEL(image, 1, 0, 0, 0, 0, 0);
    EXPECT_PIXEL(image, 0, 1, 255, 0, 0, 255);
}

TEST(DdsFiles, Dxt3AndDxt5Alpha) {
    std::string dxt3 = kl::test::MakeDdsHeader(4, 4, "DXT3");
    AppendU32(dxt3, 0x000080F0);  // alphas 0, 15, 0, 8, then zeros
    AppendU32(dxt3, 0);
    AppendU16(dxt3, 0xFFFF);
    AppendU16(dxt3, 0x0000);
    AppendU32(dxt3, 0);
    Image image;
    ASSERT_EQ(Decode(dxt3, image), DecodeStatus::Ok);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_PIXEL(image, 0, 0, 255, 255, 255, 0);
    EXPECT_PIXEL(image, 1, 0, 255, 255, 255, 255);
    EXPECT_PIXEL(image, 3, 0, 255, 255, 255, 136);

    // DXT5: endpoints 255 and 0 give the ramp 255, 0, 218, 182, 145, 109, 72, 36.
    std::string dxt5 = kl::test::MakeDdsHeader(4, 4, "DXT5");
    dxt5 += '\xFF';
    dxt5 += '\x00';
    // 3-bit indices, pixel 0 first: 0, 1, 2, 7, then 0.
    const uint64_t bits = 0u | (1u << 3) | (2u << 6) | (7u << 9);
    for (int i = 0; i < 6; ++i) dxt5 += static_cast<char>((bits >> (8 * i)) & 0xFF);
    AppendU16(dxt5, 0x07E0);
    AppendU16(dxt5, 0x0000);
    AppendU32(dxt5, 0);
    ASSERT_EQ(Decode(dxt5, image), DecodeStatus::Ok);
    EXPECT_PIXEL(image, 0, 0, 0, 255, 0, 255);
    EXPECT_PIXEL(image, 1, 0, 0, 255, 0, 0);
    EXPECT_PIXEL(image, 2, 0, 0, 255, 0, 218);
    EXPECT_PIXEL(image, 3, 0, 0, 255, 0, 36);
}

TEST(BrokenImages, FailCleanly) {
    Image image;
    EXPECT_EQ(Decode("", image), DecodeStatus::UnknownFormat);
    EXPECT_EQ(Decode("not an image at all", image), DecodeStatus::UnknownFormat);
    EXPECT_EQ(Decode("DDS ", image), DecodeStatus::Corrupt);

    std::string shortDxt = kl::test::MakeDdsHeader(8, 8, "DXT5");
    shortDxt.append(63, '\0');  // four blocks need 64 bytes
    EXPECT_EQ(Decode(shortDxt, image), DecodeStatus::Corrupt);

    std::string shortRgb = kl::test::MakeDdsHeader(2, 2, "", 32, 0xFF0000, 0xFF00, 0xFF);
    shortRgb.append(15, '\0');
    EXPECT_EQ(Decode(shortRgb, image), DecodeStatus::Corrupt);

    EXPECT_EQ(Decode(kl::test::MakeBmp24(0, 3, {}), image), DecodeStatus::Corrupt);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(1u << 20, 4, "DXT1"), image), DecodeStatus::TooLarge);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(16384, 8192, "DXT1"), image), DecodeStatus::TooLarge);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(0, 4, "DXT1"), image), DecodeStatus::Corrupt);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(4, 4, "ATI2"), image), DecodeStatus::UnknownFormat);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(4, 4, "", 12, 0xF00, 0xF0, 0xF), image),
              DecodeStatus::UnknownFormat);
}

TEST(BrokenImages, EveryTruncationOfABmpAndATgaFails) {
    std::vector<Bgra> pixels(16 * 4, Bgra{1, 2, 3, 4});
    for (const std::string& file :
         {kl::test::MakeBmp24(16, 4, pixels), kl::test::MakeTga32(16, 4, pixels)}) {
        for (size_t n = 0; n < file.size(); ++n) {
            Image image;
            EXPECT_NE(Decode(file.substr(0, n), image), DecodeStatus::Ok) << n << " bytes";
        }
    }
}

// stb reads a BMP with an unknown compression code as plain rows, so the
// rows must be present for it as for an uncompressed one.
TEST(BrokenImages, BmpWithUnknownCompressionMustHoldItsRows) {
    std::string bmp = kl::test::MakeBmp24(4, 4, std::vector<Bgra>(16, Bgra{1, 2, 3, 255}));
    bmp[30] = '\xBC';
    bmp[31] = bmp[32] = bmp[33] = '\xFF';
    Image image;
    EXPECT_EQ(Decode(bmp, image), DecodeStatus::Ok);
    bmp.pop_back();
    EXPECT_EQ(Decode(bmp, image), DecodeStatus::Corrupt);
}

// A PNG whose pixel data is complete decodes even without its 12-byte IEND
// trailer; every shorter cut, and every cut of a JPEG, must fail.
TEST(BrokenImages, TruncatedPngAndJpegFail) {
    std::vector<uint8_t> rgb(32 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7);
    std::string png;
    std::string jpg;
    ASSERT_TRUE(kl::test::WritePng(png, 32, 32, 3, rgb.data()));
    ASSERT_TRUE(kl::test::WriteJpg(jpg, 32, 32, 3, rgb.data()));
    for (size_t n = 0; n + 12 < png.size(); ++n) {
        Image image;
        EXPECT_NE(Decode(png.substr(0, n), image), DecodeStatus::Ok) << "PNG of " << n << " bytes";
    }
    for (size_t n = 0; n < jpg.size(); ++n) {
        Image image;
        EXPECT_NE(Decode(jpg.substr(0, n), image), DecodeStatus::Ok) << "JPEG of " << n << " bytes";
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(jpg.data());
    EXPECT_TRUE(
        kl::d3dx9::texture::JpegHuffmanTablesFit(bytes, jpg.size()));  // a real encoder's tables
}

// A JPEG start followed by one define-Huffman-table segment whose first two
// code counts are given; the segment holds as many symbols as they add up to.
std::string JpegWithHuffmanTable(int codesOfLength1, int codesOfLength2) {
    const int symbols = codesOfLength1 + codesOfLength2;
    std::string jpg = "\xFF\xD8\xFF\xC4";
    AppendU16(jpg, 0);
    jpg[4] = static_cast<char>((2 + 17 + symbols) >> 8);
    jpg[5] = static_cast<char>((2 + 17 + symbols) & 0xFF);
    jpg += '\x00';  // DC table 0
    jpg += static_cast<char>(codesOfLength1);
    jpg += static_cast<char>(codesOfLength2);
    jpg.append(14, '\0');
    jpg.append(static_cast<size_t>(symbols), '\x01');
    return jpg + "\xFF\xD9";
}

// Code counts adding up to more than 256 symbols would make stb_image write
// past its tables; such a file is refused before stb reads it.
TEST(BrokenImages, JpegHuffmanTableWithTooManyCodes) {
    const std::string bad = JpegWithHuffmanTable(200, 200);
    EXPECT_FALSE(kl::d3dx9::texture::JpegHuffmanTablesFit(
        reinterpret_cast<const uint8_t*>(bad.data()), bad.size()));
    Image image;
    EXPECT_EQ(Decode(bad, image), DecodeStatus::Corrupt);

    // stb also skips 0xFF fill bytes before the start-of-image marker.
    EXPECT_EQ(Decode("\xFF\xFF\xFF" + bad, image), DecodeStatus::Corrupt);

    const std::string fits = JpegWithHuffmanTable(200, 56);
    EXPECT_TRUE(kl::d3dx9::texture::JpegHuffmanTablesFit(
        reinterpret_cast<const uint8_t*>(fits.data()), fits.size()));
}

// The chunks of a PNG: the 8-byte signature, then length, type, data, CRC.
struct PngChunk {
    size_t at;
    std::string type;
};

std::vector<PngChunk> PngChunks(const std::string& png) {
    std::vector<PngChunk> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const uint8_t*>(png.data() + at);
        const size_t length = size_t{p[0]} << 24 | size_t{p[1]} << 16 | size_t{p[2]} << 8 | p[3];
        chunks.push_back({at, png.substr(at + 4, 4)});
        at += 12 + length;
    }
    return chunks;
}

// An IDAT chunk of length zero (its CRC is that of the type alone).
const std::string kEmptyIdat("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12);

std::string PngHeaderOnly(uint32_t width, uint32_t height) {
    std::string png = "\x89PNG\r\n\x1A\n";
    png += std::string("\0\0\0\x0DIHDR", 8);
    for (uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>(v >> shift);
    }
    png += std::string("\x08\x02\0\0\0", 5);
    return png + std::string(4, '\0');  // CRC: stb does not check it
}

// A PNG whose first IDAT chunk is empty is valid and decodes as without it.
TEST(HostileImages, PngWithEmptyDataChunksDecodes) {
    std::vector<uint8_t> rgb(8 * 8 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 5);
    std::string png;
    ASSERT_TRUE(kl::test::WritePng(png, 8, 8, 3, rgb.data()));
    Image plain;
    ASSERT_EQ(Decode(png, plain), DecodeStatus::Ok);
    for (const PngChunk& chunk : PngChunks(png)) {
        if (chunk.type != "IDAT") continue;
        std::string withEmpty = png;
        withEmpty.insert(chunk.at, kEmptyIdat + kEmptyIdat);
        Image image;
        ASSERT_EQ(Decode(withEmpty, image), DecodeStatus::Ok);
        EXPECT_EQ(image.bgra, plain.bgra);
        break;
    }
    // Only empty chunks: no pixel data at all.
    std::string onlyEmpty = png.substr(0, PngChunks(png)[1].at) + kEmptyIdat;
    Image image;
    EXPECT_EQ(Decode(onlyEmpty, image), DecodeStatus::Corrupt);
}

// Sizes are judged from the header before any pixel is decoded: a 65 KB file
// may declare 8193 x 8191 pixels, and a caller may narrow the limits to what
// its device can hold.
TEST(HostileImages, OversizedImagesAreRefusedFromTheirHeader) {
    Image image;
    EXPECT_EQ(Decode(PngHeaderOnly(8193, 8191), image), DecodeStatus::TooLarge);
    EXPECT_EQ(Decode(PngHeaderOnly(4097, 4096), image), DecodeStatus::TooLarge);
    EXPECT_EQ(Decode(kl::test::MakeDdsHeader(4096, 4097, "DXT1"), image), DecodeStatus::TooLarge);
    const std::string bmp = kl::test::MakeBmp24(64, 16, std::vector<Bgra>(64 * 16, Bgra{}));
    const auto* bytes = reinterpret_cast<const uint8_t*>(bmp.data());
    EXPECT_EQ(kl::d3dx9::texture::DecodeImage(bytes, bmp.size(), image, {32, 64}),
              DecodeStatus::TooLarge);
    EXPECT_EQ(kl::d3dx9::texture::DecodeImage(bytes, bmp.size(), image, {64, 8}),
              DecodeStatus::TooLarge);
    EXPECT_EQ(kl::d3dx9::texture::DecodeImage(bytes, bmp.size(), image, {64, 16}),
              DecodeStatus::Ok);
    EXPECT_TRUE(kl::d3dx9::texture::FitsLimits(4096, 4096, {}));
    EXPECT_FALSE(kl::d3dx9::texture::FitsLimits(16384, 2, {8192, 8192}));
}

// A grey progressive JPEG whose every scan is a DC scan of empty data:
// each decodes the whole image again, ten bytes of file per scan.
std::string ProgressiveJpeg(int side, int scans) {
    auto segment = [](uint8_t marker, const std::string& payload) {
        std::string s = "\xFF";
        s += static_cast<char>(marker);
        s += static_cast<char>((payload.size() + 2) >> 8);
        s += static_cast<char>((payload.size() + 2) & 0xFF);
        return s + payload;
    };
    std::string jpg = "\xFF\xD8";
    jpg += segment(0xDB, std::string(1, '\0') + std::string(64, '\x01'));
    std::string frame("\x08", 1);
    for (int i = 0; i < 2; ++i) {
        frame += static_cast<char>(side >> 8);
        frame += static_cast<char>(side & 0xFF);
    }
    jpg += segment(0xC2, frame + std::string("\x01\x01\x11\x00", 4));
    // DC table 0 with one code of length 1 for category 0.
    jpg += segment(0xC4, std::string("\x00\x01", 2) + std::string(15, '\0') + std::string(1, '\0'));
    const std::string scan = segment(0xDA, std::string("\x01\x01\x00\x00\x00\x00", 6)) + '\0';
    for (int i = 0; i < scans; ++i) jpg += scan;
    return jpg + "\xFF\xD9";
}

TEST(HostileImages, JpegsWithTooManyScansAreRefused) {
    Image image;
    ASSERT_EQ(Decode(ProgressiveJpeg(16, 10), image), DecodeStatus::Ok);
    EXPECT_PIXEL(image, 8, 8, 128, 128, 128, 255);  // DC 0: mid grey
    EXPECT_EQ(Decode(ProgressiveJpeg(16, 100), image), DecodeStatus::Ok);
    EXPECT_EQ(Decode(ProgressiveJpeg(16, 101), image), DecodeStatus::Corrupt);
    EXPECT_EQ(Decode(ProgressiveJpeg(2048, 50000), image), DecodeStatus::Corrupt);
}

// A BMP with a negative height stores its rows top to bottom.
TEST(ImageFiles, TopDownBmpReadsTopRowFirst) {
    std::vector<Bgra> pixels(3 * 2);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = Bgra{static_cast<uint8_t>(i * 10), 0, static_cast<uint8_t>(i), 255};
    std::string bmp = kl::test::MakeBmp24(3, 2, pixels);
    // Flip the stored rows and the sign of the height.
    const size_t rowBytes = 12;
    std::string rows = bmp.substr(54);
    bmp = bmp.substr(0, 54) + rows.substr(rowBytes) + rows.substr(0, rowBytes);
    bmp[22] = '\xFE';
    bmp[23] = bmp[24] = bmp[25] = '\xFF';
    Image image;
    ASSERT_EQ(Decode(bmp, image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_PIXEL(image, 0, 0, 0, 0, 0, 255);
    EXPECT_PIXEL(image, 2, 1, 50, 0, 5, 255);
    bmp.pop_back();
    EXPECT_EQ(Decode(bmp, image), DecodeStatus::Corrupt);
}

TEST(MipChain, LevelCountsAndPowerOfTwoSizes) {
    EXPECT_EQ(kl::d3dx9::texture::FullMipLevelCount(1, 1), 1u);
    EXPECT_EQ(kl::d3dx9::texture::FullMipLevelCount(256, 64), 9u);
    EXPECT_EQ(kl::d3dx9::texture::FullMipLevelCount(5, 3), 3u);
    EXPECT_EQ(kl::d3dx9::texture::FullMipLevelCount(1, 1024), 11u);
    EXPECT_EQ(kl::d3dx9::texture::RoundUpToPowerOfTwo(1), 1u);
    EXPECT_EQ(kl::d3dx9::texture::RoundUpToPowerOfTwo(5), 8u);
    EXPECT_EQ(kl::d3dx9::texture::RoundUpToPowerOfTwo(256), 256u);
    EXPECT_EQ(kl::d3dx9::texture::RoundUpToPowerOfTwo(257), 512u);
}

TEST(MipChain, HalvingAveragesBlocksDownToOnePixel) {
    Image image;
    image.width = 4;
    image.height = 2;
    image.bgra = {0,   0, 0, 0,   100, 0, 0, 0,   10, 0, 0, 255, 10, 0, 0, 255,
                  200, 0, 0, 255, 100, 0, 0, 255, 10, 0, 0, 255, 30, 0, 0, 255};
    Image half = kl::d3dx9::texture::HalveBox(image);
    ASSERT_EQ(half.width, 2u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_PIXEL(half, 0, 0, 100, 0, 0, 128);  // (0+100+200+100)/4, alpha (0+0+255+255)/4 rounded
    EXPECT_PIXEL(half, 1, 0, 15, 0, 0, 255);
    Image last = kl::d3dx9::texture::HalveBox(half);  // a 2×1 level halves along x only
    ASSERT_EQ(last.width, 1u);
    ASSERT_EQ(last.height, 1u);
    EXPECT_PIXEL(last, 0, 0, 58, 0, 0, 192);
}

TEST(MipChain, ResizeInterpolatesBetweenPixelCentres) {
    Image image;
    image.width = 2;
    image.height = 1;
    image.bgra = {0, 0, 0, 255, 255, 0, 0, 255};
    const Image wide = kl::d3dx9::texture::Resize(image, 4, 1);
    ASSERT_EQ(wide.width, 4u);
    EXPECT_EQ(wide.Pixel(0, 0)[0], 0);
    EXPECT_EQ(wide.Pixel(1, 0)[0], 64);
    EXPECT_EQ(wide.Pixel(2, 0)[0], 191);
    EXPECT_EQ(wide.Pixel(3, 0)[0], 255);
}

}  // namespace
