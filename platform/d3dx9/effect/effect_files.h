// Reading effect source files; paths are resolved by the platform's path
// resolver (common/paths.h) before they reach these functions.
#pragma once

#include <string>

namespace kl::d3dx9 {

bool ReadWholeFile(const std::string& path, std::string& contents);

// The directory part of a path, with its trailing '/', or "" for none.
std::string DirectoryOf(const std::string& path);

}  // namespace kl::d3dx9
