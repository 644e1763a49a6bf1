#include "app/scene_file.h"

bool FileExistsAt(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The same wide path goes to the existence test and to the open, so both
// take one name for it, as the mesh and texture loaders do.
std::FILE* OpenSceneFile(const wchar_t* path) {
    if (path == nullptr || path[0] == L'\0' || !FileExistsAt(path)) return nullptr;
    return _wfopen(path, L"rb");
}
