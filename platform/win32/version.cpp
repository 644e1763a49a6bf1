// The Windows version this platform reports: Windows 7 Service Pack 1
// (NT 6.1.7601), the version whose behaviour the layer follows, so that
// programs take their NT 6 paths (such as the low-level keyboard hook).
#include <cstring>
#include <cwchar>

#include <windows.h>

namespace {

constexpr DWORD kMajorVersion = 6;
constexpr DWORD kMinorVersion = 1;
constexpr DWORD kBuildNumber = 7601;
constexpr char kServicePack[] = "Service Pack 1";
// OSVERSIONINFOEX adds the service-pack numbers, suite mask, product type
// and a reserved byte after the basic structure.
constexpr size_t kExtensionBytes = 8;
constexpr WORD kServicePackMajor = 1;
constexpr BYTE kWorkstationProduct = 1;  // VER_NT_WORKSTATION

// The sizes of the structures on Windows, where WCHAR has 16 bits: a program
// may write them as numbers (the wide structure is larger here).
constexpr DWORD kWindowsSizeA = 148;
constexpr DWORD kWindowsSizeW = 276;

template <typename Info>
bool SizeIsKnown(const Info* info, DWORD windowsSize) {
    if (!info) return false;
    const DWORD size = info->dwOSVersionInfoSize;
    return size == sizeof(Info) || size == sizeof(Info) + kExtensionBytes || size == windowsSize;
}

template <typename Info>
void FillNumbers(Info* info) {
    info->dwMajorVersion = kMajorVersion;
    info->dwMinorVersion = kMinorVersion;
    info->dwBuildNumber = kBuildNumber;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    if (info->dwOSVersionInfoSize == sizeof(Info) + kExtensionBytes) {
        BYTE extension[kExtensionBytes] = {};
        std::memcpy(extension, &kServicePackMajor, sizeof(kServicePackMajor));
        extension[6] = kWorkstationProduct;
        std::memcpy(reinterpret_cast<BYTE*>(info) + sizeof(Info), extension, kExtensionBytes);
    }
}

}  // namespace

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (!SizeIsKnown(lpVersionInformation, kWindowsSizeA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    FillNumbers(lpVersionInformation);
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
    std::memcpy(lpVersionInformation->szCSDVersion, kServicePack, sizeof(kServicePack));
    return TRUE;
}

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    if (!SizeIsKnown(lpVersionInformation, kWindowsSizeW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    FillNumbers(lpVersionInformation);
    WCHAR* text = lpVersionInformation->szCSDVersion;
    std::wmemset(text, L'\0', sizeof(lpVersionInformation->szCSDVersion) / sizeof(WCHAR));
    for (size_t i = 0; kServicePack[i]; ++i) text[i] = static_cast<WCHAR>(kServicePack[i]);
    return TRUE;
}
