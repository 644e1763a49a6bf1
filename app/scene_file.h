// Files named by the scene: the existence test and opening a file for reading.
// Paths come from 8-bit list and mesh files (one byte widened to one wide
// character), are relative to the working directory or absolute, and may use
// `\` as the separator.
#pragma once

#include <windows.h>

#include <cstdio>

// True when a file (not a folder) exists at the path.
bool FileExistsAt(const wchar_t* path);

// Opens the file (not a folder) at the path for reading its bytes, or returns
// nullptr. The path names the same file as for FileExistsAt and the D3DX
// loaders: `\` separates folders and, where the file system tells letter case
// apart, a name that differs only in case is found too.
std::FILE* OpenSceneFile(const wchar_t* path);
