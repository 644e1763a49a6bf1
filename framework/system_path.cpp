#include "framework/system_path.h"

#include "framework/bounded_copy.h"

bool BuildSystemLibraryPath(const WCHAR* fileName, WCHAR* path) {
    const UINT length = GetSystemDirectoryW(path, kSystemPathCapacity);
    // 0 is failure; a result of the capacity or more is the size needed.
    if (length == 0 || length >= kSystemPathCapacity) return false;
    if (length >= MAX_PATH) return false;
    if (FAILED(BoundedCopyWide(path + length, MAX_PATH - length, L"\\"))) return false;
    return SUCCEEDED(BoundedCopyWide(path + length + 1, MAX_PATH - length - 1, fileName));
}
