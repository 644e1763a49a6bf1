// Reading the files that D3DX loads (.x meshes, images) by the wide Windows
// paths the application passes; paths are mapped by the platform's shared
// path rules (`\` to `/`, case-insensitive fallback).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kl::d3dx9 {

// Larger files are refused rather than read into memory.
constexpr size_t kMaxFileBytes = size_t{1} << 30;

// Reads the whole file; false when it does not exist, is not a regular file,
// cannot be read or is larger than kMaxFileBytes.
bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& out);

}  // namespace kl::d3dx9
