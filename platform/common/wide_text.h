// Conversions between the API's wide strings (UTF-32 wchar_t on Linux) and the
// UTF-8 that Linux, SDL and the terminal use.
#pragma once

#include <string>
#include <string_view>

namespace kl::platform {

std::string ToUtf8(std::wstring_view text);
// nullptr gives an empty string.
std::string ToUtf8(const wchar_t* text);
// Malformed UTF-8 sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

// Simple case folding (Latin-1, Greek and Cyrillic letters) for file-name and
// module-name comparisons.
std::wstring FoldCase(std::wstring_view text);

}  // namespace kl::platform
