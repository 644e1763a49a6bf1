// The message queue: order, filters, WM_QUIT, WM_PAINT, sending, closing,
// and SIGINT / SIGTERM turned into WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/testing.h"
#include "win32_test_support.h"

namespace {

using kl::test::CreateTestWindow;
using kl::test::Logged;
using kl::test::LoggedSequence;
using kl::test::MessageLog;
using kl::test::PumpMessages;

TEST(MessageQueue, PostedMessagesArriveInOrderAndNoRemoveKeepsThem) {
    const HWND window = CreateTestWindow(100, 100);
    ASSERT_TRUE(PostMessageW(window, WM_USER + 1, 11, 0));
    ASSERT_TRUE(PostMessageW(window, WM_USER + 2, 22, 0));
    ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 3, 33, 0));  // to the thread

    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, 11u);

    // A range filter takes a later message first; (HWND)-1 selects thread messages.
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, window, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 22u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, QuitComesAfterPostedMessagesAndEndsTheLoop) {
    const HWND window = CreateTestWindow(100, 100);
    PostMessageW(window, WM_USER + 1, 0, 0);
    PostQuitMessage(7);
    PostMessageW(window, WM_USER + 2, 0, 0);

    std::vector<UINT> seen;
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        seen.push_back(msg.message);
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    // WM_QUIT is taken once.
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, CloseThroughDefaultDestroysAndQuitEndsPeekLoop) {
    kl::test::SetMessageHook([](HWND, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_DESTROY) PostQuitMessage(3);
        return false;
    });
    const HWND window = CreateTestWindow(100, 100);
    ShowWindow(window, SW_SHOW);
    PostMessageW(window, WM_CLOSE, 0, 0);
    bool quit = false;
    for (int round = 0; round < 10 && !quit; ++round) PumpMessages(&quit);
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(window));
    const std::vector<UINT> tail = LoggedSequence({WM_PAINT, WM_ACTIVATEAPP});
    ASSERT_GE(tail.size(), 2u);
    EXPECT_EQ(tail[tail.size() - 2], static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(tail.back(), static_cast<UINT>(WM_DESTROY));
}

TEST(SendMessageW, CallsTheProcedureDirectlyAndNests) {
    kl::test::SetMessageHook([](HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
        if (message != WM_USER) return false;
        *result = static_cast<LRESULT>(wParam);
        if (wParam > 0) *result += SendMessageW(window, WM_USER, wParam - 1, 0);
        return true;
    });
    const HWND window = CreateTestWindow(100, 100);
    PostMessageW(window, WM_USER + 9, 0, 0);
    MessageLog().clear();
    EXPECT_EQ(SendMessageW(window, WM_USER, 3, 0), 3 + 2 + 1 + 0);
    const auto sent = Logged(WM_USER);
    ASSERT_EQ(sent.size(), 4u);
    for (size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i].wParam, 3 - i);
    // The posted message was not touched.
    EXPECT_TRUE(Logged(WM_USER + 9).empty());
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));

    SetLastError(0);
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
}

TEST(MessageQueue, PaintRepeatsUntilDefaultProcessingPaints) {
    int unpaintedRounds = 2;
    kl::test::SetMessageHook([&](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message != WM_PAINT || unpaintedRounds == 0) return false;
        --unpaintedRounds;
        *result = 0;
        return true;  // handled without painting: Windows asks again
    });
    const HWND window = CreateTestWindow(100, 100);
    ShowWindow(window, SW_SHOW);
    PostMessageW(window, WM_USER, 0, 0);
    PostQuitMessage(0);
    std::vector<UINT> seen;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        seen.push_back(msg.message);
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER, WM_QUIT, WM_PAINT, WM_PAINT, WM_PAINT}));
    kl::testing::InjectPaint(window);
    EXPECT_EQ(PumpMessages(), 1);
}

TEST(QuitSignals, InterruptAndTerminatePostCloseToTheWindow) {
    const HWND window = CreateTestWindow(100, 100);
    ShowWindow(window, SW_SHOW);
    PumpMessages();
    std::raise(SIGINT);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, window);
    std::raise(SIGTERM);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(QuitSignals, AWaitingGetMessageWakesUpWithClose) {
    const HWND window = CreateTestWindow(100, 100);
    std::thread interrupter([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(getpid(), SIGINT);
    });
    MSG msg{};
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    interrupter.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, window);
}

TEST(QuitSignalsDeathTest, WithoutAWindowTheSignalEndsTheProcess) {
    const HWND window = CreateTestWindow(100, 100);
    DestroyWindow(window);
    EXPECT_EXIT(std::raise(SIGINT), testing::KilledBySignal(SIGINT), "");
}

TEST(QuitSignalsDeathTest, ASecondSignalBeforeTheFirstIsTakenEndsTheProcess) {
    CreateTestWindow(100, 100);
    EXPECT_EXIT(
        {
            std::raise(SIGTERM);
            std::raise(SIGTERM);
        },
        testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
