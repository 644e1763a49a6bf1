// Windows paths on a Linux file system. File functions across the platform
// (meshes, textures, effects, scene files) turn the wide paths they are given
// into Linux paths here.
#pragma once

#include <string>

namespace kl::platform {

// Turns a wide Windows path into a UTF-8 Linux path: every '\' becomes '/';
// when the path does not exist exactly as written, each component is matched
// against its directory ignoring case (the first match in directory order
// wins). Components that match nothing are kept as written, so the result of
// a missing file is a path that does not exist. nullptr gives "".
std::string ResolvePlatformPath(const wchar_t* path);

// The same for a UTF-8 path.
std::string ResolvePlatformPathUtf8(const std::string& path);

}  // namespace kl::platform
