#include "framework/console_text.h"

#include <climits>
#include <string>

namespace {

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Wide text (UTF-16 where WCHAR has 16 bits, UTF-32 where it has 32) as
// UTF-8; a lone surrogate or a value beyond Unicode becomes U+FFFD.
std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned long code = static_cast<unsigned long>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const unsigned long low = static_cast<unsigned long>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
        AppendUtf8(out, code);
    }
    return out;
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
