// Files named by the scene: the existence test and opening a file for reading.
// Paths come from 8-bit list and mesh files (one byte widened to one wide
// character), are relative to the working directory or absolute, and may use
// `\` as the separator.
#pragma once

#include <windows.h>

#include <cstdio>

// True when a file (not a folder) exists at the path.
bool FileExistsAt(const wchar_t* path);

// Opens the file at the path for reading its bytes, or returns nullptr. `\` is
// read as a folder separator, and where no file has the exact name, a file
// whose name differs only in letter case is taken, so scenes written for a
// case-insensitive file system open everywhere. A path holding a character
// above 0xFF (which no 8-bit scene file can produce) is not opened.
std::FILE* OpenSceneFile(const wchar_t* path);
