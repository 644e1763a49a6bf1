// A window class whose procedure records every message, and helpers to pump
// the queue, for the Win32 layer's tests.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace kl::test {

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages the recording procedure saw, in order.
std::vector<LoggedMessage>& MessageLog();
// The logged messages of one kind.
std::vector<LoggedMessage> Logged(UINT message);
// Only the message numbers, in order, leaving out the ones in `ignored`.
std::vector<UINT> LoggedSequence(const std::vector<UINT>& ignored = {});

// Called before DefWindowProcW for each message; returning true stops the
// message there (the procedure then returns `result`).
using MessageHook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT* result)>;
void SetMessageHook(MessageHook hook);

extern const wchar_t kTestClassName[];
// Registers the recording class once.
void RegisterTestClass();
// A WS_OVERLAPPEDWINDOW (or `style`) window whose client area has this size
// at client position (x, y); not shown.
HWND CreateTestWindow(int clientWidth, int clientHeight, int x = 100, int y = 100,
                      DWORD style = WS_OVERLAPPEDWINDOW);

// Dispatches everything queued (WM_PAINT stops once painted); returns the
// number of messages dispatched, with WM_QUIT ending the pump early.
int PumpMessages(bool* quitSeen = nullptr);

}  // namespace kl::test
