#include "app/scene_file.h"

#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// The path's characters as the bytes they were read from, with `\` turned
// into `/` (which every file system we run on accepts as a separator).
bool NarrowScenePath(const wchar_t* path, std::string* narrow) {
    narrow->clear();
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (static_cast<unsigned long>(*c) > 0xFF) return false;
        const char byte = static_cast<char>(static_cast<unsigned char>(*c));
        narrow->push_back(byte == '\\' ? '/' : byte);
    }
    return !narrow->empty();
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const int left = std::tolower(static_cast<unsigned char>(a[i]));
        const int right = std::tolower(static_cast<unsigned char>(b[i]));
        if (left != right) return false;
    }
    return true;
}

// The entry of `folder` whose name equals `name` apart from letter case, or an
// empty path.
fs::path FindIgnoringCase(const fs::path& folder, const std::string& name) {
    // Error codes throughout: a folder that cannot be read just has no match.
    std::error_code error;
    fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        if (SameIgnoringCase(entry->path().filename().string(), name)) return entry->path();
    }
    return {};
}

// Walks the path one component at a time, taking the exact name where it
// exists and a case-insensitive match where it does not.
fs::path ResolveIgnoringCase(const std::string& narrow) {
    const fs::path wanted(narrow);
    fs::path resolved = wanted.root_path();
    for (const fs::path& part : wanted.relative_path()) {
        const std::string name = part.string();
        if (name.empty()) continue;
        fs::path next = resolved / part;
        std::error_code error;
        if (name != "." && name != ".." && !fs::exists(next, error)) {
            next = FindIgnoringCase(resolved, name);
            if (next.empty()) return {};
        }
        resolved = next;
    }
    return resolved;
}

std::FILE* OpenRegularFile(const fs::path& path) {
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error)) return nullptr;
    return std::fopen(path.string().c_str(), "rb");
}

}  // namespace

bool FileExistsAt(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::FILE* OpenSceneFile(const wchar_t* path) {
    std::string narrow;
    if (path == nullptr || !NarrowScenePath(path, &narrow)) return nullptr;
    if (std::FILE* exact = OpenRegularFile(fs::path(narrow))) return exact;
    return OpenRegularFile(ResolveIgnoringCase(narrow));
}
