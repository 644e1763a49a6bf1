#include "effect_files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace kl::d3dx9 {
namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The entry of `directory` whose name equals `name` ignoring case, or "".
std::string MatchEntry(const std::string& directory, const std::string& name) {
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return "";
    std::string found;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    for (; text && *text; ++text) {
        const unsigned long c = static_cast<unsigned long>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += '?';
        }
    }
    return out;
}

std::string ResolveEffectPath(const std::string& path) {
    std::string mapped = path;
    for (char& c : mapped)
        if (c == '\\') c = '/';
    if (mapped.empty() || Exists(mapped)) return mapped;
    std::vector<std::string> parts;
    std::stringstream stream(mapped);
    std::string part;
    while (std::getline(stream, part, '/')) parts.push_back(part);
    std::string resolved = mapped[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].empty() || parts[i] == ".") continue;
        std::string next = resolved + parts[i];
        if (!Exists(next)) {
            const std::string match = parts[i] == ".." ? "" : MatchEntry(resolved, parts[i]);
            if (match.empty()) return mapped;
            next = resolved + match;
        }
        resolved = next + (i + 1 < parts.size() ? "/" : "");
    }
    return resolved;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    contents = text.str();
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace kl::d3dx9
