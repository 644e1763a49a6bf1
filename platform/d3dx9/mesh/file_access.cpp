#include "d3dx9/mesh/file_access.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "common/paths.h"

namespace kl::d3dx9 {

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& out) {
    out.clear();
    const std::string resolved = kl::platform::ResolvePlatformPath(path);
    std::error_code ec;
    if (resolved.empty() || !std::filesystem::is_regular_file(resolved, ec)) return false;
    const auto size = std::filesystem::file_size(resolved, ec);
    if (ec || size > kMaxFileBytes) return false;
    std::ifstream in(resolved, std::ios::binary);
    if (!in) return false;
    out.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<size_t>(in.gcount()) == out.size();
}

}  // namespace kl::d3dx9
