// Environment strings, file attributes, opening files and launching programs.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/wide_text.h"
#include "win32/command_line.h"

namespace kl::win32 {

namespace {

constexpr wchar_t kWindowsDirectory[] = L"C:\\Windows";
// ShellExecuteW results: values above 32 mean success.
constexpr INT_PTR kShellSuccess = 33;
constexpr INT_PTR kShellNoAssociation = 31;  // SE_ERR_NOASSOC

bool NameIs(const std::wstring& name, const wchar_t* wanted) {
    return platform::FoldCase(name) == platform::FoldCase(wanted);
}

// The value of a Windows environment variable: the Windows directory
// variables name the Windows directory, as on Windows; others come from the
// process environment, as written or in upper case.
bool LookUpVariable(const std::wstring& name, std::wstring& value) {
    if (NameIs(name, L"SystemRoot") || NameIs(name, L"windir")) {
        value = kWindowsDirectory;
        return true;
    }
    const std::string narrow = platform::ToUtf8(name);
    const char* found = std::getenv(narrow.c_str());
    if (!found) {
        std::string upper = narrow;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        found = std::getenv(upper.c_str());
    }
    if (!found) return false;
    value = platform::FromUtf8(found);
    return true;
}

std::wstring Expand(const std::wstring& source) {
    std::wstring result;
    size_t i = 0;
    while (i < source.size()) {
        const size_t open = source.find(L'%', i);
        if (open == std::wstring::npos) break;
        const size_t close = source.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        result.append(source, i, open - i);
        const std::wstring name = source.substr(open + 1, close - open - 1);
        std::wstring value;
        if (!name.empty() && LookUpVariable(name, value)) {
            result += value;
            i = close + 1;
        } else {
            // An unknown name stays as written; its closing '%' may open the
            // next name.
            result.append(source, open, close - open);
            i = close;
        }
    }
    result.append(source, i, std::wstring::npos);
    return result;
}

bool ParentExists(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return true;
    struct stat info;
    return ::stat(path.substr(0, slash).c_str(), &info) == 0;
}

// Starts the program detached (its child exits at once, so no zombie is
// left and nothing waits for the program).
bool Launch(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& directory) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        if (::fork() == 0) {
            if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(127);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

}  // namespace

}  // namespace kl::win32

using namespace kl::win32;

DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
    if (!lpSrc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring expanded = Expand(lpSrc);
    const DWORD needed = static_cast<DWORD>(expanded.size() + 1);
    if (lpDst && nSize >= needed) std::copy_n(expanded.c_str(), needed, lpDst);
    return needed;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName) {
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string path = kl::platform::ResolvePlatformPath(lpFileName);
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        SetLastError(ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (::access(path.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

FILE* _wfopen(const wchar_t* filename, const wchar_t* mode) {
    if (!filename || !mode) return nullptr;
    const std::string path = kl::platform::ResolvePlatformPath(filename);
    return std::fopen(path.c_str(), kl::platform::ToUtf8(mode).c_str());
}

// Opens a file the way a double click would. Only programs can be opened
// here (Linux has no file associations to follow); other files answer
// SE_ERR_NOASSOC, as Windows does for a file type without an application.
HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT) {
    const auto result = [](INT_PTR code) { return reinterpret_cast<HINSTANCE>(code); };
    if (!lpFile) return result(ERROR_FILE_NOT_FOUND);
    if (lpOperation && !kl::platform::FoldCase(lpOperation).empty() &&
        kl::platform::FoldCase(lpOperation) != L"open") {
        return result(kShellNoAssociation);
    }
    const std::string program = kl::platform::ResolvePlatformPath(lpFile);
    struct stat info;
    if (::stat(program.c_str(), &info) != 0) {
        return result(ParentExists(program) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    if (!S_ISREG(info.st_mode) || ::access(program.c_str(), X_OK) != 0) {
        return result(kShellNoAssociation);
    }
    std::vector<std::string> arguments;
    if (lpParameters && *lpParameters) {
        const std::wstring line = std::wstring(L"program ") + lpParameters;
        const std::vector<std::wstring> split = SplitCommandLine(line.c_str());
        for (size_t i = 1; i < split.size(); ++i)
            arguments.push_back(kl::platform::ToUtf8(split[i]));
    }
    const std::string directory = lpDirectory ? kl::platform::ResolvePlatformPath(lpDirectory) : "";
    if (!Launch(program, arguments, directory)) return result(ERROR_NOT_ENOUGH_MEMORY);
    return result(kShellSuccess);
}
