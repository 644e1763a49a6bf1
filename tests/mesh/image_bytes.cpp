#include "image_bytes.h"

#include <cstring>

namespace kl::test {

void AppendU16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void AppendU32(std::string& s, uint32_t v) {
    AppendU16(s, static_cast<uint16_t>(v & 0xFFFF));
    AppendU16(s, static_cast<uint16_t>(v >> 16));
}

std::string MakeBmp24(int width, int height, const std::vector<Bgra>& pixels) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t dataBytes = static_cast<uint32_t>(rowBytes * height);
    std::string s = "BM";
    AppendU32(s, 54 + dataBytes);
    AppendU32(s, 0);
    AppendU32(s, 54);
    AppendU32(s, 40);
    AppendU32(s, static_cast<uint32_t>(width));
    AppendU32(s, static_cast<uint32_t>(height));  // positive: bottom row first
    AppendU16(s, 1);
    AppendU16(s, 24);
    for (uint32_t v : {0u, dataBytes, 2835u, 2835u, 0u, 0u}) AppendU32(s, v);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Bgra& p = pixels[static_cast<size_t>(y * width + x)];
            s += static_cast<char>(p.b);
            s += static_cast<char>(p.g);
            s += static_cast<char>(p.r);
        }
        s.append(static_cast<size_t>(rowBytes - width * 3), '\0');
    }
    return s;
}

std::string MakeTga32(int width, int height, const std::vector<Bgra>& pixels) {
    std::string s;
    s += '\0';    // no image id
    s += '\0';    // no colour map
    s += '\x02';  // uncompressed true colour
    s.append(5, '\0');
    AppendU16(s, 0);
    AppendU16(s, 0);
    AppendU16(s, static_cast<uint16_t>(width));
    AppendU16(s, static_cast<uint16_t>(height));
    s += '\x20';  // 32 bits per pixel
    s += '\x28';  // 8 alpha bits, top row first
    for (const Bgra& p : pixels) {
        s += static_cast<char>(p.b);
        s += static_cast<char>(p.g);
        s += static_cast<char>(p.r);
        s += static_cast<char>(p.a);
    }
    return s;
}

std::string MakeDdsHeader(int width, int height, const char* fourCc, int bitCount, uint32_t redMask,
                          uint32_t greenMask, uint32_t blueMask, uint32_t alphaMask) {
    const bool compressed = fourCc != nullptr && *fourCc != '\0';
    std::string s = "DDS ";
    AppendU32(s, 124);
    AppendU32(s, 0x1007);  // caps, height, width, pixel format
    AppendU32(s, static_cast<uint32_t>(height));
    AppendU32(s, static_cast<uint32_t>(width));
    AppendU32(s, 0);  // pitch
    AppendU32(s, 0);  // depth
    AppendU32(s, 1);  // mip count
    for (int i = 0; i < 11; ++i) AppendU32(s, 0);
    AppendU32(s, 32);
    uint32_t flags = compressed ? 0x4u : 0x40u;
    if (alphaMask != 0) flags |= 0x1u;
    AppendU32(s, flags);
    uint32_t code = 0;
    if (compressed) std::memcpy(&code, fourCc, 4);
    AppendU32(s, code);
    AppendU32(s, static_cast<uint32_t>(bitCount));
    for (uint32_t m : {redMask, greenMask, blueMask, alphaMask}) AppendU32(s, m);
    AppendU32(s, 0x1000);  // texture
    for (int i = 0; i < 4; ++i) AppendU32(s, 0);
    return s;
}

}  // namespace kl::test
