#include "app/texture_paths.h"

namespace {

std::wstring Widen(const char* name) {
    std::wstring wide;
    for (const char* c = name; *c != '\0'; ++c) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*c)));
    }
    return wide;
}

// The last path component: after the last `\` or `/`, or after a drive.
std::wstring FileNamePart(const std::wstring& name) {
    const size_t separator = name.find_last_of(L"\\/");
    if (separator != std::wstring::npos) return name.substr(separator + 1);
    if (name.size() >= 2 && name[1] == L':') return name.substr(2);
    return name;
}

std::wstring TexturePath(const std::wstring& base, const wchar_t* suffix, const std::wstring& ext) {
    return L"textures\\" + base + suffix + ext;
}

}  // namespace

HRESULT ComposeTexturePaths(const char* storedName, TexturePaths* out) {
    const std::wstring name = Widen(storedName);
    if (name.size() > kMaxTexturePathLength) return kTexturePathTooLong;

    const std::wstring fileName = FileNamePart(name);
    const size_t dot = fileName.rfind(L'.');
    const std::wstring base = dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
    const std::wstring ext = dot == std::wstring::npos ? std::wstring() : fileName.substr(dot);

    TexturePaths paths{TexturePath(base, L"", ext), TexturePath(base, L"_a", ext),
                       TexturePath(base, L"_b", ext), TexturePath(base, L"_s", ext)};
    // The suffixed paths are the longest: two characters more than the diffuse one.
    if (paths.alpha.size() > kMaxTexturePathLength) return kTexturePathTooLong;
    *out = std::move(paths);
    return S_OK;
}
