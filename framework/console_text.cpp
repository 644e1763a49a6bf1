#include "framework/console_text.h"

#include <climits>
#include <string>

namespace {

// The text as UTF-8, which terminals and files read on both systems.
std::string ToUtf8(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &bytes[0], needed, nullptr, nullptr);
    return bytes;
}

bool WriteToHandle(DWORD which, const std::wstring& text) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const std::string bytes = ToUtf8(text);
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t left = bytes.size() - done;
        const DWORD chunk = left > INT_MAX ? INT_MAX : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

std::wstring CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return L"(unknown)";
    std::wstring directory(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, &directory[0]);
    if (length == 0 || length >= needed) return L"(unknown)";
    directory.resize(length);
    return directory;
}

}  // namespace

bool WriteStandardOutput(const std::wstring& text) {
    return WriteToHandle(STD_OUTPUT_HANDLE, text);
}

bool WriteStandardError(const std::wstring& text) {
    return WriteToHandle(STD_ERROR_HANDLE, text);
}

void ReportUnopenedFile(const WCHAR* path, const WCHAR* detail) {
    WriteStandardError(std::wstring(L"Could not open \"") + path + L"\"" + (detail ? detail : L"") +
                       L" (working directory: " + CurrentDirectory() + L")\n");
}
