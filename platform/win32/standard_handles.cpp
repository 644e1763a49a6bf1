// The standard handles, the working directory and the conversion of wide
// text for them. A process's standard input, output and error are its file
// descriptors 0, 1 and 2; WriteFile writes to them and to nothing else (no
// other file handle exists here).
#include <windows.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "common/wide_text.h"

namespace {

// One distinct address per descriptor serves as its handle.
char standardHandles[3];

int DescriptorOfHandle(HANDLE handle) {
    for (int fd = 0; fd < 3; ++fd) {
        if (handle == &standardHandles[fd]) return fd;
    }
    return -1;
}

}  // namespace

HANDLE WINAPI GetStdHandle(DWORD nStdHandle) {
    int fd;
    switch (nStdHandle) {
        case STD_INPUT_HANDLE:
            fd = 0;
            break;
        case STD_OUTPUT_HANDLE:
            fd = 1;
            break;
        case STD_ERROR_HANDLE:
            fd = 2;
            break;
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return INVALID_HANDLE_VALUE;
    }
    // A descriptor the process was started without is a handle it does not
    // have: null, as for a Windows program given no standard handles.
    if (fcntl(fd, F_GETFD) == -1) return nullptr;
    return &standardHandles[fd];
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    const int fd = DescriptorOfHandle(hFile);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpBuffer == nullptr && nNumberOfBytesToWrite > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Overlapped writes need a handle opened for them; these are not, so the
    // write is synchronous and the structure is not used.
    const char* bytes = static_cast<const char*>(lpBuffer);
    DWORD written = 0;
    while (written < nNumberOfBytesToWrite) {
        const ssize_t result = write(fd, bytes + written, nNumberOfBytesToWrite - written);
        if (result < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno == EPIPE ? ERROR_BROKEN_PIPE : ERROR_WRITE_FAULT);
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = written;
            return FALSE;
        }
        written += static_cast<DWORD>(result);
    }
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = written;
    return TRUE;
}

// The directory as Linux writes it (/home/user/stage): the file functions take
// `/` as a separator too, and the user reads it as the shell shows it.
DWORD WINAPI GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
    std::string narrow(256, '\0');
    while (getcwd(narrow.data(), narrow.size()) == nullptr) {
        if (errno != ERANGE) {
            SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
            return 0;
        }
        narrow.resize(narrow.size() * 2);
    }
    narrow.resize(std::strlen(narrow.c_str()));
    const std::wstring wide = kl::platform::FromUtf8(narrow);
    // Too small a buffer gets nothing; the result is the size it needs,
    // terminator included.
    if (lpBuffer == nullptr || nBufferLength <= wide.size()) {
        return static_cast<DWORD>(wide.size() + 1);
    }
    wide.copy(lpBuffer, wide.size());
    lpBuffer[wide.size()] = L'\0';
    return static_cast<DWORD>(wide.size());
}

// Linux text is UTF-8, so the ANSI code page is UTF-8 too. Flags and the
// default character do not apply to UTF-8 and must be left out.
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar) {
    if ((CodePage != CP_UTF8 && CodePage != CP_ACP) || dwFlags != 0 || lpWideCharStr == nullptr ||
        cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && lpMultiByteStr == nullptr) || lpDefaultChar != nullptr ||
        lpUsedDefaultChar != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // -1: up to and with the terminator.
    const std::wstring_view wide =
        cchWideChar == -1 ? std::wstring_view(lpWideCharStr, std::wcslen(lpWideCharStr) + 1)
                          : std::wstring_view(lpWideCharStr, static_cast<size_t>(cchWideChar));
    const std::string narrow = kl::platform::ToUtf8(wide);
    if (narrow.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int needed = static_cast<int>(narrow.size());
    if (cbMultiByte == 0) return needed;
    if (cbMultiByte < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    narrow.copy(lpMultiByteStr, narrow.size());
    return needed;
}
