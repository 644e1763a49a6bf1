// Modules: the program itself and the system libraries the system looks up
// by name. A library "exists" when entry points are registered for it
// (common/library_exports.h); the directory part of the path given to
// LoadLibraryW is not looked at, since every such library lives in the
// system directory on Windows.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "common/library_exports.h"
#include "common/wide_text.h"
#include "win32/system_libraries.h"

namespace kl::win32 {

namespace {

// The program's module handle: Windows' default executable base address.
const HMODULE kProgramModule = reinterpret_cast<HMODULE>(0x400000);
constexpr uintptr_t kFirstLibraryModule = 0x10000000;
constexpr uintptr_t kLibraryModuleStep = 0x100000;
constexpr wchar_t kSystemDirectory[] = L"C:\\Windows\\System32";
// Libraries every Windows process has loaded from the start.
constexpr const char* kPreloadedLibraries[] = {"user32.dll"};

struct LoadedLibrary {
    std::string name;
    int references = 0;
    bool permanent = false;  // loaded with the process, never unloaded
};

struct ModuleTable {
    std::map<HMODULE, LoadedLibrary> libraries;
    uintptr_t nextHandle = kFirstLibraryModule;
};

ModuleTable& Modules() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static ModuleTable& table = *new ModuleTable;
    static const bool preloaded = [] {
        RegisterSystemLibraryExports();
        for (const char* name : kPreloadedLibraries) {
            table.libraries[reinterpret_cast<HMODULE>(table.nextHandle)] =
                LoadedLibrary{name, 1, true};
            table.nextHandle += kLibraryModuleStep;
        }
        return true;
    }();
    (void)preloaded;
    return table;
}

HMODULE FindLoaded(const std::string& canonical) {
    for (const auto& [handle, library] : Modules().libraries) {
        if (library.name == canonical && library.references > 0) return handle;
    }
    return nullptr;
}

// Copies a path with GetModuleFileNameW's truncation rule.
DWORD CopyModulePath(const std::wstring& path, LPWSTR buffer, DWORD size) {
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() + 1 > size) {
        std::copy_n(path.c_str(), size - 1, buffer);
        buffer[size - 1] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy_n(path.c_str(), path.size() + 1, buffer);
    return static_cast<DWORD>(path.size());
}

// The executable as a rooted Windows path without a drive ("\usr\bin\app"),
// which the platform's file functions map back to the Linux path.
std::wstring ProgramPath() {
    char buffer[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    std::wstring path = platform::FromUtf8(std::string(buffer, length > 0 ? length : 0));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

}  // namespace

}  // namespace kl::win32

using namespace kl::win32;

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName) return kProgramModule;
    const HMODULE handle =
        FindLoaded(kl::platform::CanonicalLibraryName(kl::platform::ToUtf8(lpModuleName)));
    if (!handle) SetLastError(ERROR_MOD_NOT_FOUND);
    return handle;
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    if (!hModule || hModule == kProgramModule)
        return CopyModulePath(ProgramPath(), lpFilename, nSize);
    const auto found = Modules().libraries.find(hModule);
    if (found == Modules().libraries.end() || found->second.references == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::wstring path =
        std::wstring(kSystemDirectory) + L"\\" + kl::platform::FromUtf8(found->second.name);
    return CopyModulePath(path, lpFilename, nSize);
}

UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
    const UINT length = static_cast<UINT>(std::wcslen(kSystemDirectory));
    if (!lpBuffer || uSize <= length) return length + 1;
    std::copy_n(kSystemDirectory, length + 1, lpBuffer);
    return length;
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name =
        kl::platform::CanonicalLibraryName(kl::platform::ToUtf8(lpLibFileName));
    ModuleTable& table = Modules();
    if (const HMODULE loaded = FindLoaded(name)) {
        ++table.libraries[loaded].references;
        return loaded;
    }
    if (!kl::platform::IsLibraryInstalled(name.c_str())) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const HMODULE handle = reinterpret_cast<HMODULE>(table.nextHandle);
    table.nextHandle += kLibraryModuleStep;
    table.libraries[handle] = LoadedLibrary{name, 1, false};
    return handle;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    const auto found = Modules().libraries.find(hModule);
    if (found == Modules().libraries.end() || found->second.references == 0) {
        SetLastError(hModule == kProgramModule ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Look-ups by ordinal (a number below 0x10000 instead of a name) find
    // nothing: no ordinals are registered.
    const bool byOrdinal = reinterpret_cast<uintptr_t>(lpProcName) < 0x10000;
    const FARPROC procedure =
        byOrdinal ? nullptr
                  : kl::platform::FindLibraryExport(found->second.name.c_str(), lpProcName);
    if (!procedure) SetLastError(ERROR_PROC_NOT_FOUND);
    return procedure;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    const auto found = Modules().libraries.find(hLibModule);
    if (found == Modules().libraries.end() || found->second.references == 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (!found->second.permanent) --found->second.references;
    return TRUE;
}
