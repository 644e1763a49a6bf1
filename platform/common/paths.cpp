#include "common/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "common/wide_text.h"

namespace kl::platform {

namespace {

bool PathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> components;
    std::string current;
    for (char c : path) {
        if (c == '/') {
            if (!current.empty()) components.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) components.push_back(current);
    return components;
}

// The entry of `directory` whose name equals `name` ignoring case, or `name`
// itself when there is none.
std::string MatchIgnoringCase(const std::string& directory, const std::string& name) {
    DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!listing) return name;
    const std::wstring wanted = FoldCase(FromUtf8(name));
    std::string match = name;
    while (const dirent* entry = ::readdir(listing)) {
        if (FoldCase(FromUtf8(entry->d_name)) == wanted) {
            match = entry->d_name;
            break;
        }
    }
    ::closedir(listing);
    return match;
}

std::string JoinComponent(const std::string& base, const std::string& component) {
    if (base.empty()) return component;
    if (base == "/") return base + component;
    return base + "/" + component;
}

}  // namespace

std::string ResolvePlatformPathUtf8(const std::string& path) {
    std::string slashed = path;
    for (char& c : slashed) {
        if (c == '\\') c = '/';
    }
    if (slashed.empty() || PathExists(slashed)) return slashed;

    std::string resolved = slashed[0] == '/' ? "/" : "";
    for (const std::string& component : SplitComponents(slashed)) {
        const std::string exact = JoinComponent(resolved, component);
        if (component == "." || component == ".." || PathExists(exact)) {
            resolved = exact;
        } else {
            resolved = JoinComponent(resolved, MatchIgnoringCase(resolved, component));
        }
    }
    if (slashed.back() == '/' && resolved.back() != '/') resolved += '/';
    return resolved;
}

std::string ResolvePlatformPath(const wchar_t* path) {
    return path ? ResolvePlatformPathUtf8(ToUtf8(path)) : std::string();
}

}  // namespace kl::platform
