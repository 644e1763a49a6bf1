// Text for the console the program was started from, where there is one: a
// window program has standard handles only when its starter gave it some (a
// shell on Linux, a redirection or pipe on Windows).
#pragma once

#include <windows.h>

#include <string>

// Write `text` as UTF-8 to standard output or standard error. False when the
// process has no such handle or the write failed.
bool WriteStandardOutput(const std::wstring& text);
bool WriteStandardError(const std::wstring& text);

// One line on standard error naming a file the program could not open and
// the working directory it was looked for in; `detail` (may be null) follows
// the file's name.
void ReportUnopenedFile(const WCHAR* path, const WCHAR* detail);
