// The naming rule that finds a material's four textures under textures\.
#pragma once

#include <windows.h>

#include <string>

// Result for a stored texture name or a composed texture path longer than 259
// characters: such a mesh does not load.
inline const HRESULT kTexturePathTooLong = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);

// The longest stored name or composed path, in characters.
constexpr size_t kMaxTexturePathLength = 259;

// Stands in for every texture file that does not exist.
constexpr const wchar_t* kNoneTexturePath = L"textures\\none.bmp";

struct TexturePaths {
    std::wstring diffuse;   // textures\<base><ext>
    std::wstring alpha;     // textures\<base>_a<ext>
    std::wstring bump;      // textures\<base>_b<ext>
    std::wstring specular;  // textures\<base>_s<ext>
};

// Composes the four paths from a texture name stored in a .x file: its folders
// (and a drive such as C:) are dropped, base is the last component up to its
// last ".", ext the rest from that "." on (empty without one). Each byte of the
// name becomes one wide character. Returns kTexturePathTooLong, leaving `out`
// unchanged, when the name or a path would be longer than 259 characters.
HRESULT ComposeTexturePaths(const char* storedName, TexturePaths* out);
