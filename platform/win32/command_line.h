// Windows command-line quoting, shared by GetCommandLineW and
// CommandLineToArgvW.
#pragma once

#include <string>
#include <vector>

namespace kl::win32 {

// The argument as it must be written so that CommandLineToArgvW reads it back.
std::wstring QuoteArgument(const std::wstring& argument);
// A command line from a program name and its arguments.
std::wstring BuildCommandLine(const std::vector<std::wstring>& arguments);
// CommandLineToArgvW's parse; an empty or null line gives the executable path.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);

}  // namespace kl::win32
