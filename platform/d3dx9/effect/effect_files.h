// File access for effects: Windows-style paths (backslashes, any letter
// case) resolved on a case-sensitive file system, and wide-path conversion.
#pragma once

#include <string>

namespace kl::d3dx9 {

std::string WideToUtf8(const wchar_t* text);

// Maps '\' to '/'; when the exact path does not exist, matches each
// component case-insensitively. Returns the path to open (possibly the
// mapped path unchanged when nothing matches).
std::string ResolveEffectPath(const std::string& path);

bool ReadWholeFile(const std::string& path, std::string& contents);

// The directory part of a path, with its trailing '/', or "" for none.
std::string DirectoryOf(const std::string& path);

}  // namespace kl::d3dx9
