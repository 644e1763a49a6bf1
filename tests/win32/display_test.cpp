// The same API on a real display: an X server (Xvfb, started here when no
// display is named) with SDL windows. Skipped where no X server can run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/native_window.h"
#include "win32_test_support.h"

// Last: the X11 headers it pulls in define macros such as None and Bool.
#include <SDL.h>
#include <SDL_syswm.h>

namespace {

using kl::test::Logged;

bool Executable(const char* path) {
    return access(path, X_OK) == 0;
}

class RealDisplay : public testing::Test {
protected:
    void SetUp() override {
        unsetenv("KESTRALUNE_HEADLESS");
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) StartXvfb();
        if (HasFatalFailure() || IsSkipped()) return;
        if (kl::platform::IsHeadless()) GTEST_SKIP() << "SDL could not open the display";
    }

    void TearDown() override {
        if (xvfb_ > 0) {
            kill(xvfb_, SIGTERM);
            waitpid(xvfb_, nullptr, 0);
        }
    }

    void StartXvfb() {
        if (!Executable("/usr/bin/Xvfb")) GTEST_SKIP() << "no display and no Xvfb";
        const int number = 80 + static_cast<int>(getpid() % 400);
        const std::string name = ":" + std::to_string(number);
        xvfb_ = fork();
        ASSERT_GE(xvfb_, 0);
        if (xvfb_ == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24",
                  "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int i = 0; i < 500 && access(socket.c_str(), F_OK) != 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (access(socket.c_str(), F_OK) != 0) GTEST_SKIP() << "Xvfb did not start";
        setenv("DISPLAY", name.c_str(), 1);
    }

    // Pumps until `done` holds or two seconds pass.
    template <typename Condition>
    bool PumpUntil(Condition done) {
        for (int i = 0; i < 200; ++i) {
            kl::test::PumpMessages();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    pid_t xvfb_ = -1;
};

unsigned long X11WindowOf(HWND window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(kl::platform::SdlWindowOf(window), &info) ||
        info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return static_cast<unsigned long>(info.info.x11.window);
}

int RunXdotool(const std::string& arguments) {
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

TEST_F(RealDisplay, WindowOpensAtTheRequestedClientSize) {
    const HWND window = kl::test::CreateTestWindow(640, 480, 50, 60);
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = kl::platform::SdlWindowOf(window);
    ASSERT_NE(sdl, nullptr);
    ShowWindow(window, SW_SHOW);
    kl::test::PumpMessages();
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(RealDisplay, TypedKeysReachTheWindowProcedure) {
    if (!Executable("/usr/bin/xdotool")) GTEST_SKIP() << "xdotool is not installed";
    const HWND window = kl::test::CreateTestWindow(320, 240);
    ShowWindow(window, SW_SHOW);
    kl::test::PumpMessages();
    const unsigned long x11 = X11WindowOf(window);
    if (x11 == 0) GTEST_SKIP() << "not an X11 window";
    ASSERT_EQ(RunXdotool("windowfocus --sync " + std::to_string(x11) + " key --delay 20 a F8"), 0);
    const auto sawKey = [](WPARAM key) {
        for (const auto& entry : Logged(WM_KEYDOWN)) {
            if (entry.wParam == key) return true;
        }
        return false;
    };
    EXPECT_TRUE(PumpUntil([&] { return sawKey('A') && sawKey(VK_F8); }));
    EXPECT_FALSE(Logged(WM_KEYUP).empty());
}

TEST_F(RealDisplay, ResizingTheWindowSendsItsNewClientSize) {
    if (!Executable("/usr/bin/xdotool")) GTEST_SKIP() << "xdotool is not installed";
    const HWND window = kl::test::CreateTestWindow(320, 240);
    ShowWindow(window, SW_SHOW);
    kl::test::PumpMessages();
    const unsigned long x11 = X11WindowOf(window);
    if (x11 == 0) GTEST_SKIP() << "not an X11 window";
    ASSERT_EQ(RunXdotool("windowsize --sync " + std::to_string(x11) + " 500 400"), 0);
    EXPECT_TRUE(PumpUntil([&] {
        const auto sizes = Logged(WM_SIZE);
        return !sizes.empty() && sizes.back().lParam == MAKELONG(500, 400);
    }));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 500);
    EXPECT_EQ(client.bottom, 400);
}

TEST_F(RealDisplay, ClosingTheWindowEndsTheLoop) {
    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return false;
    });
    const HWND window = kl::test::CreateTestWindow(320, 240);
    ShowWindow(window, SW_SHOW);
    kl::test::PumpMessages();
    // What the window manager's close button delivers.
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(kl::platform::SdlWindowOf(window));
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    MSG msg{};
    int dispatched = 0;
    while (dispatched < 1000 && GetMessageW(&msg, nullptr, 0, 0)) {
        DispatchMessageW(&msg);
        ++dispatched;
    }
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Logged(WM_CLOSE).size(), 1u);
}

}  // namespace
