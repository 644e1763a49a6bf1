// The process command line: GetCommandLineW builds one Windows command line
// from argv, quoting each argument so that CommandLineToArgvW, which follows
// Windows' quoting and backslash rules, gives the arguments back unchanged.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/wide_text.h"
#include "testing/windows.h"
#include "win32/command_line.h"

namespace kl::win32 {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool NeedsQuotes(const std::wstring& argument) {
    return argument.empty() || argument.find_first_of(L" \t\n\v\"") != std::wstring::npos;
}

std::vector<std::string> ProcessArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t begin = 0;
    while (begin < raw.size()) {
        const size_t end = raw.find('\0', begin);
        arguments.push_back(
            raw.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) break;
        begin = end + 1;
    }
    return arguments;
}

std::optional<std::wstring>& StoredCommandLine() {
    static std::optional<std::wstring> commandLine;
    return commandLine;
}

// The program name ends at the first blank, or is quoted as a whole; it has
// no escapes (Windows file names cannot contain '"').
size_t ParseProgramName(const wchar_t* text, std::wstring& name) {
    size_t i = 0;
    if (text[0] == L'"') {
        for (i = 1; text[i] && text[i] != L'"'; ++i) name += text[i];
        return text[i] == L'"' ? i + 1 : i;
    }
    for (; text[i] && !IsBlank(text[i]); ++i) name += text[i];
    return i;
}

// One argument after the program name: 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoted mode; 2n + 1 give n
// backslashes and a literal quote; backslashes elsewhere are literal. Inside
// quotes, a doubled quote gives a literal quote and ends quoted mode.
size_t ParseArgument(const wchar_t* text, size_t i, std::wstring& argument) {
    bool quoted = false;
    while (text[i] && (quoted || !IsBlank(text[i]))) {
        if (text[i] == L'\\') {
            size_t count = 0;
            while (text[i] == L'\\') {
                ++count;
                ++i;
            }
            if (text[i] == L'"') {
                argument.append(count / 2, L'\\');
                if (count % 2 == 1) {
                    argument += L'"';
                    ++i;
                }
            } else {
                argument.append(count, L'\\');
            }
        } else if (text[i] == L'"') {
            if (quoted && text[i + 1] == L'"') {
                argument += L'"';
                i += 2;
                quoted = false;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            argument += text[i++];
        }
    }
    return i;
}

std::wstring ExecutablePathWide() {
    wchar_t path[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return path;
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!NeedsQuotes(argument)) return argument;
    std::wstring quoted = L"\"";
    size_t i = 0;
    while (i < argument.size()) {
        size_t backslashes = 0;
        while (i < argument.size() && argument[i] == L'\\') {
            ++backslashes;
            ++i;
        }
        if (i == argument.size()) {
            quoted.append(backslashes * 2, L'\\');
        } else if (argument[i] == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
            quoted += L'"';
            ++i;
        } else {
            quoted.append(backslashes, L'\\');
            quoted += argument[i++];
        }
    }
    return quoted + L"\"";
}

std::wstring BuildCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) line += L' ';
        const bool blankInName = arguments[i].find_first_of(L" \t") != std::wstring::npos;
        if (i == 0) {
            line +=
                blankInName || arguments[i].empty() ? L"\"" + arguments[i] + L"\"" : arguments[i];
        } else {
            line += QuoteArgument(arguments[i]);
        }
    }
    return line;
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    if (!commandLine || !*commandLine) {
        arguments.push_back(ExecutablePathWide());
        return arguments;
    }
    std::wstring program;
    size_t i = ParseProgramName(commandLine, program);
    arguments.push_back(program);
    while (true) {
        while (IsBlank(commandLine[i])) ++i;
        if (!commandLine[i]) break;
        std::wstring argument;
        i = ParseArgument(commandLine, i, argument);
        arguments.push_back(argument);
    }
    return arguments;
}

}  // namespace kl::win32

using namespace kl::win32;

LPWSTR WINAPI GetCommandLineW(void) {
    std::optional<std::wstring>& stored = StoredCommandLine();
    if (!stored) {
        std::vector<std::wstring> arguments;
        for (const std::string& argument : ProcessArguments()) {
            arguments.push_back(kl::platform::FromUtf8(argument));
        }
        stored = BuildCommandLine(arguments);
    }
    return stored->data();
}

// One block: the pointer array, then the strings, so that one LocalFree
// releases everything.
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs) {
    if (!pNumArgs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::vector<std::wstring> arguments = SplitCommandLine(lpCmdLine);
    size_t characters = 0;
    for (const std::wstring& argument : arguments) characters += argument.size() + 1;
    const size_t pointerBytes = (arguments.size() + 1) * sizeof(LPWSTR);
    void* block = std::malloc(pointerBytes + characters * sizeof(wchar_t));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* pointers = static_cast<LPWSTR*>(block);
    auto* text = reinterpret_cast<wchar_t*>(static_cast<char*>(block) + pointerBytes);
    for (size_t i = 0; i < arguments.size(); ++i) {
        pointers[i] = text;
        std::memcpy(text, arguments[i].c_str(), (arguments[i].size() + 1) * sizeof(wchar_t));
        text += arguments[i].size() + 1;
    }
    pointers[arguments.size()] = nullptr;
    *pNumArgs = static_cast<int>(arguments.size());
    return pointers;
}

HANDLE WINAPI LocalFree(HANDLE hMem) {
    std::free(hMem);
    return nullptr;
}

namespace kl::testing {

void SetProcessCommandLine(const wchar_t* commandLine) {
    StoredCommandLine() = std::wstring(commandLine ? commandLine : L"");
}

}  // namespace kl::testing
