// The thread's message queue. Posted and input messages wait in one queue in
// arrival order; WM_QUIT is returned once the queue is empty, and WM_PAINT is
// made up, after that, for a window that needs painting until DefWindowProcW
// paints it. Messages that Windows sends (sizes, activation) call the window
// procedure directly while the events are pumped.
#include <SDL.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

#include "win32/window_system.h"

namespace kl::win32 {

namespace {

// How long GetMessageW waits between looks at the virtual desktop's input.
constexpr auto kIdlePollInterval = std::chrono::milliseconds(5);
constexpr int kDisplayWaitMilliseconds = 10;
// PeekMessageW's hWnd value that selects messages posted to the thread.
const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(-1);

struct Queue {
    std::mutex lock;
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};

Queue& TheQueue() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Queue& queue = *new Queue;
    return queue;
}

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool ForWindow(HWND messageWindow, HWND filter) {
    if (!filter) return true;
    if (filter == kThreadMessagesOnly) return messageWindow == nullptr;
    for (HWND current = messageWindow; current;) {
        if (current == filter) return true;
        const Window* window = WindowFromHandle(current);
        current = window ? window->parent : nullptr;
    }
    return false;
}

MSG MakeMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = handle;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    GetCursorPos(&msg.pt);
    return msg;
}

bool TakePosted(MSG* out, HWND filter, UINT first, UINT last, bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!ForWindow(it->hwnd, filter) || !InRange(it->message, first, last)) continue;
        *out = *it;
        if (remove) queue.messages.erase(it);
        return true;
    }
    return false;
}

bool TakeQuit(MSG* out, bool remove) {
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    if (!queue.quitPosted) return false;
    *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quitPosted = false;
    return true;
}

bool TakePaint(MSG* out, HWND filter, UINT first, UINT last) {
    if (!InRange(WM_PAINT, first, last)) return false;
    for (HWND handle : AllWindows()) {
        const Window* window = WindowFromHandle(handle);
        if (window->needsPaint && window->visible && ForWindow(handle, filter)) {
            *out = MakeMessage(handle, WM_PAINT, 0, 0);
            return true;
        }
    }
    return false;
}

void WaitForInput() {
    if (UsingDisplay()) {
        SDL_WaitEventTimeout(nullptr, kDisplayWaitMilliseconds);
    } else {
        std::this_thread::sleep_for(kIdlePollInterval);
    }
}

}  // namespace

LRESULT CallWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* window = WindowFromHandle(handle);
    if (!window) return 0;
    const WNDPROC procedure = window->procedure;
    if (!procedure) return DefWindowProcW(handle, message, wParam, lParam);
    return procedure(handle, message, wParam, lParam);
}

void PostToQueue(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG msg = MakeMessage(handle, message, wParam, lParam);
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.messages.push_back(msg);
}

void PostToQueueFront(const MSG& msg) {
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.messages.push_front(msg);
}

void DropMessagesFor(HWND handle) {
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    auto& messages = queue.messages;
    for (auto it = messages.begin(); it != messages.end();) {
        it = it->hwnd == handle ? messages.erase(it) : it + 1;
    }
}

}  // namespace kl::win32

using namespace kl::win32;

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    PumpPlatformEvents();
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    if (TakePosted(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove)) return TRUE;
    if (TakeQuit(lpMsg, remove)) return TRUE;
    return TakePaint(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    while (!PeekMessageW(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE)) WaitForInput();
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

LRESULT WINAPI DispatchMessageW(const MSG* lpMsg) {
    if (!lpMsg || !lpMsg->hwnd) return 0;
    if (!WindowFromHandle(lpMsg->hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (!WindowFromHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcedure(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd && !WindowFromHandle(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PostToQueue(hWnd, Msg, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode) {
    Queue& queue = TheQueue();
    std::lock_guard<std::mutex> hold(queue.lock);
    queue.quitPosted = true;
    queue.quitCode = nExitCode;
}

int WINAPI TranslateAcceleratorW(HWND, HACCEL, LPMSG) {
    return 0;
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL) {
    return FALSE;
}
