#include "d3dx9/mesh/file_access.h"

#include <strings.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace kl::d3dx {
namespace {

namespace fs = std::filesystem;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string ToUtf8WithSlashes(const wchar_t* path) {
    std::string out;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        const auto c = static_cast<char32_t>(*p);
        if (c == U'\\') {
            out += '/';
        } else if (c <= 0x10FFFF) {
            AppendUtf8(out, c);
        }
    }
    return out;
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

// The entry of `dir` whose name equals `name` ignoring ASCII case, if any.
bool FindEntryIgnoringCase(const fs::path& dir, const std::string& name, fs::path& found) {
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (strcasecmp(entry.c_str(), name.c_str()) == 0) {
            found = dir / entry;
            return true;
        }
    }
    return false;
}

fs::path MatchIgnoringCase(const fs::path& exact) {
    fs::path built = exact.root_path();
    for (const fs::path& part : exact.relative_path()) {
        const fs::path direct = built / part;
        if (Exists(direct)) {
            built = direct;
            continue;
        }
        fs::path found;
        if (!FindEntryIgnoringCase(built, part.string(), found)) return exact;
        built = found;
    }
    return built;
}

}  // namespace

std::string ResolvePath(const wchar_t* path) {
    const fs::path exact(ToUtf8WithSlashes(path));
    if (exact.empty() || Exists(exact)) return exact.string();
    return MatchIgnoringCase(exact).string();
}

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>& out) {
    out.clear();
    const std::string resolved = ResolvePath(path);
    std::error_code ec;
    if (resolved.empty() || !fs::is_regular_file(resolved, ec)) return false;
    const auto size = fs::file_size(resolved, ec);
    if (ec || size > kMaxFileBytes) return false;
    std::ifstream in(resolved, std::ios::binary);
    if (!in) return false;
    out.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<size_t>(in.gcount()) == out.size();
}

}  // namespace kl::d3dx
