// Message boxes, system parameters, modules and libraries, monitors, system
// metrics, versions, environment strings, file attributes, launching, the
// standard handles and the working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "common/library_exports.h"
#include "common/monitor_handles.h"
#include "common/platform_settings.h"
#include "platform/testing.h"
#include "win32_test_support.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

std::string MakeTempDirectory() {
    char pattern[] = "/tmp/kl_win32_XXXXXX";
    const char* made = mkdtemp(pattern);
    EXPECT_NE(made, nullptr);
    return made ? made : "";
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

TEST(MessageBoxW, WritesCaptionAndTextAsOneLine) {
    CaptureStderr();
    EXPECT_EQ(
        MessageBoxW(nullptr, L"Failed creating the Direct3D device.", L"Orvantis", MB_ICONERROR),
        IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"Caf\u00e9\nsecond line", nullptr, MB_OK), IDOK);
    EXPECT_EQ(GetCapturedStderr(),
              "Orvantis: Failed creating the Direct3D device.\n"
              "Error: Caf\xC3\xA9 second line\n");
}

TEST(MessageBoxW, CaptureHookRecordsBoxesAndStillWritesTheLine) {
    kl::testing::CaptureMessageBoxes(true);
    const HWND owner = kl::test::CreateTestWindow(100, 100);
    CaptureStderr();
    EXPECT_EQ(MessageBoxW(owner, L"Incorrect version of Direct3D and/or D3DX.",
                          L"DirectX Application", MB_ICONERROR),
              IDOK);
    EXPECT_EQ(GetCapturedStderr(),
              "DirectX Application: Incorrect version of Direct3D and/or D3DX.\n");
    const auto boxes = kl::testing::CapturedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, owner);
    EXPECT_EQ(boxes[0].caption, L"DirectX Application");
    EXPECT_EQ(boxes[0].text, L"Incorrect version of Direct3D and/or D3DX.");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
}

TEST(OutputDebugStringW, SilentUnlessVerbose) {
    unsetenv("KESTRALUNE_VERBOSE");
    CaptureStderr();
    OutputDebugStringW(L"hidden\n");
    EXPECT_EQ(GetCapturedStderr(), "");
    setenv("KESTRALUNE_VERBOSE", "1", 1);
    CaptureStderr();
    OutputDebugStringW(L"shown\n");
    EXPECT_EQ(GetCapturedStderr(), "shown\n");
}

TEST(SystemParametersInfoW, AccessibilitySettingsRoundTripInMemory) {
    STICKYKEYS sticky{sizeof(STICKYKEYS), 0};
    TOGGLEKEYS toggle{sizeof(TOGGLEKEYS), 0};
    FILTERKEYS filter{sizeof(FILTERKEYS), 0, 0, 0, 0, 0};
    ASSERT_EQ(sizeof(STICKYKEYS), 8u);
    ASSERT_EQ(sizeof(FILTERKEYS), 24u);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(sticky), &sticky, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETTOGGLEKEYS, sizeof(toggle), &toggle, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(filter), &filter, 0));
    // A fresh desktop: features off, their hot keys active.
    EXPECT_EQ(sticky.dwFlags & (SKF_STICKYKEYSON | SKF_HOTKEYACTIVE),
              static_cast<DWORD>(SKF_HOTKEYACTIVE));
    EXPECT_EQ(toggle.dwFlags & TKF_HOTKEYACTIVE, static_cast<DWORD>(TKF_HOTKEYACTIVE));
    EXPECT_EQ(filter.dwFlags & FKF_CONFIRMHOTKEY, static_cast<DWORD>(FKF_CONFIRMHOTKEY));

    STICKYKEYS changed = sticky;
    changed.dwFlags &= ~static_cast<DWORD>(SKF_HOTKEYACTIVE | SKF_CONFIRMHOTKEY);
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(changed), &changed, 0));
    STICKYKEYS readBack{sizeof(STICKYKEYS), 0};
    // The ANSI form reads the same settings.
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETSTICKYKEYS, sizeof(readBack), &readBack, 0));
    EXPECT_EQ(readBack.dwFlags, changed.dwFlags);
    STICKYKEYS hooked{};
    kl::testing::GetAccessibilitySettings(&hooked, nullptr, nullptr);
    EXPECT_EQ(hooked.dwFlags, changed.dwFlags);

    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(sticky), &sticky, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(readBack), &readBack, 0));
    EXPECT_EQ(readBack.dwFlags, sticky.dwFlags);
}

TEST(SystemParametersInfoW, RejectsWrongSizesAndUnknownActions) {
    STICKYKEYS wrongSize{4, 0};
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETSTICKYKEYS, 0, &wrongSize, 0));
    EXPECT_FALSE(SystemParametersInfoW(SPI_SETFILTERKEYS, 0, nullptr, 0));
    EXPECT_FALSE(SystemParametersInfoW(0x7FFF, 0, &wrongSize, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(SystemParametersInfoW, WorkAreaOfThePrimaryMonitor) {
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.left, 0);
    EXPECT_EQ(work.top, 0);
    EXPECT_EQ(work.right, 1024);
    EXPECT_EQ(work.bottom, 728);
}

// Each test runs in its own process, so the desktop is built from the
// setting made at the test's start.
TEST(VirtualDesktop, SizeComesFromTheDesktopSetting) {
    setenv("KESTRALUNE_DESKTOP", "1920X1080", 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.right, 1920);
    EXPECT_EQ(work.bottom, 1040);
}

TEST(VirtualDesktop, MalformedOrOutOfRangeSizesKeepTheDefault) {
    for (const char* value : {"1920", "1920x", "x1080", "1920x1080x2", "-800x600", "100x100",
                              "99999x600", "1920 x 1080"}) {
        setenv("KESTRALUNE_DESKTOP", value, 1);
        CaptureStderr();
        const kl::platform::DesktopSize size = kl::platform::VirtualDesktopSize();
        const std::string warning = GetCapturedStderr();
        EXPECT_EQ(size.width, 1024) << value;
        EXPECT_EQ(size.height, 768) << value;
        EXPECT_NE(warning.find(std::string("KESTRALUNE_DESKTOP=") + value), std::string::npos)
            << value;
    }
    setenv("KESTRALUNE_DESKTOP", "320x16384", 1);
    EXPECT_EQ(kl::platform::VirtualDesktopSize().width, 320);
    EXPECT_EQ(kl::platform::VirtualDesktopSize().height, 16384);
}

using TimeBeginPeriodFunction = UINT(WINAPI*)(UINT);
using XInputSetStateFunction = DWORD(WINAPI*)(DWORD, void*);
using MonitorFromWindowFunction = HMONITOR(WINAPI*)(HWND, DWORD);

template <typename Function>
Function As(FARPROC procedure) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}

TEST(LoadLibraryW, SystemLibrariesResolveTheNamesTheFrameworkAsksFor) {
    wchar_t directory[MAX_PATH + 1] = {};
    ASSERT_EQ(GetSystemDirectoryW(directory, MAX_PATH + 1), 19u);
    EXPECT_STREQ(directory, L"C:\\Windows\\System32");

    const HMODULE winmm = LoadLibraryW((std::wstring(directory) + L"\\winmm.dll").c_str());
    ASSERT_NE(winmm, nullptr);
    const auto timeBeginPeriod =
        As<TimeBeginPeriodFunction>(GetProcAddress(winmm, "timeBeginPeriod"));
    ASSERT_NE(timeBeginPeriod, nullptr);
    EXPECT_EQ(timeBeginPeriod(1), 0u);
    EXPECT_TRUE(FreeLibrary(winmm));

    const HMODULE xinput = LoadLibraryW(L"C:\\Windows\\System32\\XINPUT9_1_0.DLL");
    ASSERT_NE(xinput, nullptr);
    const auto setState = As<XInputSetStateFunction>(GetProcAddress(xinput, "XInputSetState"));
    ASSERT_NE(setState, nullptr);
    WORD vibration[2] = {0, 0};
    for (DWORD user = 0; user < 4; ++user) {
        EXPECT_EQ(setState(user, vibration), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    }

    const HMODULE user32 = GetModuleHandleW(L"USER32");
    ASSERT_NE(user32, nullptr);
    const auto monitorFromWindow =
        As<MonitorFromWindowFunction>(GetProcAddress(user32, "MonitorFromWindow"));
    EXPECT_EQ(monitorFromWindow, &MonitorFromWindow);
    EXPECT_NE(GetProcAddress(user32, "GetMonitorInfoW"), nullptr);
    EXPECT_EQ(GetProcAddress(user32, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST(LoadLibraryW, LibrariesWithoutEntryPointsAreMissing) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(L"nosuch.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    // Nothing in this test program registers Direct3D.
    EXPECT_EQ(LoadLibraryW(L"C:\\Windows\\System32\\d3d9.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"d3d9.dll"), nullptr);
}

INT_PTR WINAPI FakeDirect3DCreate9() {
    return 42;
}

TEST(LoadLibraryW, RegisteredLibrariesLoadAndStayUntilFreed) {
    ASSERT_TRUE(
        kl::platform::RegisterLibraryExport("d3d9.dll", "Direct3DCreate9", FakeDirect3DCreate9));
    const HMODULE first = LoadLibraryW(L"C:\\Windows\\System32\\d3d9.dll");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadLibraryW(L"D3D9"), first);
    EXPECT_EQ(GetProcAddress(first, "Direct3DCreate9"), FakeDirect3DCreate9);
    EXPECT_EQ(GetProcAddress(first, "direct3dcreate9"), nullptr);  // names are exact
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(GetModuleFileNameW(first, path, MAX_PATH), 28u);
    EXPECT_STREQ(path, L"C:\\Windows\\System32\\d3d9.dll");
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleW(L"d3d9.dll"), first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleW(L"d3d9.dll"), nullptr);
    EXPECT_EQ(GetProcAddress(first, "Direct3DCreate9"), nullptr);
}

TEST(GetModuleFileNameW, ProgramPathAndTruncation) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[0], L'\\');
    EXPECT_NE(std::wstring(path).find(L"kl_test_win32"), std::wstring::npos);
    EXPECT_EQ(GetModuleHandleW(nullptr), GetModuleHandleW(nullptr));
    EXPECT_NE(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);

    wchar_t small[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 4), 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(small[3], L'\0');
    wchar_t tiny[4] = {};
    EXPECT_EQ(GetSystemDirectoryW(tiny, 4), 20u);  // the size needed, terminator included
}

TEST(Monitors, OneVirtualMonitorWithATaskBar) {
    const HWND window = kl::test::CreateTestWindow(640, 480);
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
    ASSERT_NE(monitor, nullptr);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    EXPECT_EQ(info.rcMonitor.right, 1024);
    EXPECT_EQ(info.rcMonitor.bottom, 768);
    EXPECT_EQ(info.rcWork.bottom, 728);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);

    MONITORINFO tooSmall{};
    tooSmall.cbSize = 20;
    EXPECT_FALSE(GetMonitorInfoW(monitor, &tooSmall));
    EXPECT_FALSE(GetMonitorInfoW(reinterpret_cast<HMONITOR>(0x12340042), &info));
}

TEST(Monitors, WindowsBelongToTheMonitorTheyOverlapMost) {
    kl::testing::SetVirtualMonitors({{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 984}},
                                     {RECT{1280, 0, 2880, 1200}, RECT{1280, 0, 2880, 1200}}});
    const HWND left = kl::test::CreateTestWindow(200, 200, 100, 100);
    const HWND straddling = kl::test::CreateTestWindow(400, 200, 1100, 100);  // mostly right
    const HWND outside = kl::test::CreateTestWindow(100, 100, 3500, 100);
    const HMONITOR primary = MonitorFromWindow(left, MONITOR_DEFAULTTONULL);
    const HMONITOR second = MonitorFromWindow(straddling, MONITOR_DEFAULTTONULL);
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(primary, second);
    EXPECT_EQ(MonitorFromWindow(outside, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorFromWindow(outside, MONITOR_DEFAULTTOPRIMARY), primary);
    EXPECT_EQ(MonitorFromWindow(outside, MONITOR_DEFAULTTONEAREST), second);
    // The handles the Direct3D layer gives its adapters.
    EXPECT_EQ(primary, kl::platform::MonitorHandleOfDisplay(0));
    EXPECT_EQ(second, kl::platform::MonitorHandleOfDisplay(1));
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(second, &info));
    EXPECT_EQ(info.rcMonitor.left, 1280);
    EXPECT_EQ(info.dwFlags, 0u);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    // A minimized window stays with the monitor it is restored to.
    ShowWindow(straddling, SW_MINIMIZE);
    EXPECT_EQ(MonitorFromWindow(straddling, MONITOR_DEFAULTTONULL), second);
}

TEST(GetSystemMetrics, RemoteSessionAndMediaCenterAreOffUnlessATestSaysSo) {
    EXPECT_EQ(GetSystemMetrics(SM_REMOTESESSION), 0);
    EXPECT_EQ(GetSystemMetrics(SM_MEDIACENTER), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 23);
    kl::testing::SetSystemMetric(SM_REMOTESESSION, 1);
    EXPECT_EQ(GetSystemMetrics(SM_REMOTESESSION), 1);
    kl::testing::ClearSystemMetricOverrides();
    EXPECT_EQ(GetSystemMetrics(SM_REMOTESESSION), 0);
}

TEST(GetVersionEx, ReportsWindowsSevenOnNt) {
    OSVERSIONINFOA narrow{};
    narrow.dwOSVersionInfoSize = sizeof(narrow);
    ASSERT_EQ(sizeof(narrow), 148u);
    ASSERT_TRUE(GetVersionExA(&narrow));
    EXPECT_EQ(narrow.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(narrow.dwMajorVersion, 6u);
    EXPECT_EQ(narrow.dwMinorVersion, 1u);
    OSVERSIONINFOW wide{};
    wide.dwOSVersionInfoSize = sizeof(wide);
    ASSERT_TRUE(GetVersionExW(&wide));
    EXPECT_GT(wide.dwMajorVersion, 4u);
    EXPECT_STREQ(wide.szCSDVersion, L"Service Pack 1");
    // The size of the wide structure on Windows, written as a number.
    OSVERSIONINFOW windowsSize{};
    windowsSize.dwOSVersionInfoSize = 276;
    EXPECT_TRUE(GetVersionExW(&windowsSize));
    OSVERSIONINFOW wrong{};
    wrong.dwOSVersionInfoSize = 12;
    EXPECT_FALSE(GetVersionExW(&wrong));
}

TEST(ExpandEnvironmentStringsW, ExpandsKnownNamesAndKeepsUnknownOnes) {
    wchar_t buffer[260] = {};
    const DWORD needed =
        ExpandEnvironmentStringsW(L"%SystemRoot%\\ehome\\ehshell.exe", buffer, 260);
    EXPECT_STREQ(buffer, L"C:\\Windows\\ehome\\ehshell.exe");
    EXPECT_EQ(needed, 29u);
    setenv("KL_TEST_FOLDER", "/srv/data", 1);
    ExpandEnvironmentStringsW(L"%KL_TEST_FOLDER%/x %NO_SUCH_KL_VAR% 100%", buffer, 260);
    EXPECT_STREQ(buffer, L"/srv/data/x %NO_SUCH_KL_VAR% 100%");
    wchar_t tiny[5] = {L'u', L'u', L'u', L'u', L'u'};
    EXPECT_EQ(ExpandEnvironmentStringsW(L"%windir%", tiny, 5), 11u);
    EXPECT_EQ(tiny[0], L'u');
}

TEST(GetFileAttributesW, FilesDirectoriesAndMissingPaths) {
    const std::string directory = MakeTempDirectory();
    std::ofstream(directory + "/Scene.TXT") << "x";
    EXPECT_EQ(GetFileAttributesW(Wide(directory).c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(Wide(directory + "\\scene.txt").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(L"C:\\Windows\\ehome\\ehshell.exe"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(Wide(directory + "/missing.txt").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(StandardHandles, WriteFileReachesTheDescriptorsAndNothingElse) {
    // Standard error into a pipe, so that the test reads what was written.
    int ends[2];
    ASSERT_EQ(0, pipe(ends));
    const int savedError = dup(2);
    ASSERT_EQ(2, dup2(ends[1], 2));
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    ASSERT_NE(nullptr, error);
    ASSERT_NE(INVALID_HANDLE_VALUE, error);
    EXPECT_NE(error, GetStdHandle(STD_OUTPUT_HANDLE));
    DWORD written = 99;
    EXPECT_TRUE(WriteFile(error, "note\n", 5, &written, nullptr));
    EXPECT_EQ(5u, written);
    dup2(savedError, 2);
    close(savedError);
    close(ends[1]);
    char text[16] = {};
    EXPECT_EQ(5, read(ends[0], text, sizeof(text)));
    close(ends[0]);
    EXPECT_STREQ("note\n", text);

    // A descriptor the process lacks is a missing handle; other handles and
    // other numbers are invalid.
    const int savedInput = dup(0);
    close(0);
    EXPECT_EQ(nullptr, GetStdHandle(STD_INPUT_HANDLE));
    dup2(savedInput, 0);
    close(savedInput);
    EXPECT_EQ(INVALID_HANDLE_VALUE, GetStdHandle(5));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    int other = 0;
    written = 99;
    EXPECT_FALSE(WriteFile(&other, "x", 1, &written, nullptr));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST(WideCharToMultiByte, Utf8SizesTerminatorAndShortBuffers) {
    const wchar_t text[] = L"caf\u00E9 \u20AC";  // 1 + 1 + 1 + 2 + 1 + 3 bytes
    EXPECT_EQ(9, WideCharToMultiByte(CP_UTF8, 0, text, 6, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr));
    char bytes[16];
    std::memset(bytes, '#', sizeof(bytes));
    EXPECT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, 16, nullptr, nullptr));
    EXPECT_STREQ("caf\xC3\xA9 \xE2\x82\xAC", bytes);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, 9, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    BOOL usedDefault = FALSE;
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, 16, nullptr, &usedDefault));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(GetCurrentDirectoryW, GivesTheDirectoryOrTheSizeItNeeds) {
    const std::string directory = MakeTempDirectory();
    char saved[4096];
    ASSERT_NE(nullptr, getcwd(saved, sizeof(saved)));
    ASSERT_EQ(0, chdir(directory.c_str()));
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    EXPECT_EQ(directory.size() + 1, needed);
    WCHAR small[4] = {L'x', 0, 0, 0};
    EXPECT_EQ(needed, GetCurrentDirectoryW(4, small));
    std::wstring buffer(needed, L'?');
    EXPECT_EQ(needed - 1, GetCurrentDirectoryW(needed, &buffer[0]));
    EXPECT_EQ(Wide(directory) + L'\0', buffer);
    EXPECT_EQ(0, chdir(saved));
    rmdir(directory.c_str());
}

TEST(ShellExecuteW, LaunchesProgramsAndRefusesOtherFiles) {
    const std::string directory = MakeTempDirectory();
    const std::string script = directory + "/touch.sh";
    std::ofstream(script) << "#!/bin/sh\ntouch \"$1\"\n";
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    const std::string marker = directory + "/launched marker";
    const std::wstring parameters = L"\"" + Wide(marker) + L"\"";
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", Wide(script).c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL));
    EXPECT_GT(result, 32);
    bool launched = false;
    for (int i = 0; i < 200 && !launched; ++i) {
        launched = access(marker.c_str(), F_OK) == 0;
        if (!launched) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(launched);

    std::ofstream(directory + "/notes.txt") << "text";
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open",
                                                      Wide(directory + "/notes.txt").c_str(),
                                                      nullptr, nullptr, SW_SHOWNORMAL)),
              31);  // SE_ERR_NOASSOC
    EXPECT_EQ(
        reinterpret_cast<INT_PTR>(ShellExecuteW(
            nullptr, L"open", L"C:\\Windows\\ehome\\ehshell.exe", nullptr, nullptr, SW_SHOWNORMAL)),
        static_cast<INT_PTR>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
