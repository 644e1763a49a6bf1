// Tiny image files written byte by byte for the decoder and texture tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kl::test {

struct Bgra {
    uint8_t b, g, r, a;
};

// An uncompressed 24-bit bottom-up BMP; pixels given top row first.
std::string MakeBmp24(int width, int height, const std::vector<Bgra>& pixels);

// An uncompressed 32-bit top-down TGA with an alpha channel.
std::string MakeTga32(int width, int height, const std::vector<Bgra>& pixels);

// A DDS header for the given size; fourCc empty for an uncompressed format
// described by bit count and masks. The caller appends the pixel data.
std::string MakeDdsHeader(int width, int height, const char* fourCc, int bitCount = 0,
                          uint32_t redMask = 0, uint32_t greenMask = 0, uint32_t blueMask = 0,
                          uint32_t alphaMask = 0);

void AppendU16(std::string& s, uint16_t v);
void AppendU32(std::string& s, uint32_t v);

}  // namespace kl::test
