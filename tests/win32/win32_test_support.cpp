#include "win32_test_support.h"

namespace kl::test {

namespace {

MessageHook& Hook() {
    static MessageHook hook;
    return hook;
}

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog().push_back(LoggedMessage{window, message, wParam, lParam});
    LRESULT result = 0;
    if (Hook() && Hook()(window, message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const wchar_t kTestClassName[] = L"KestraluneTestWindow";

std::vector<LoggedMessage>& MessageLog() {
    static std::vector<LoggedMessage> log;
    return log;
}

std::vector<LoggedMessage> Logged(UINT message) {
    std::vector<LoggedMessage> found;
    for (const LoggedMessage& entry : MessageLog()) {
        if (entry.message == message) found.push_back(entry);
    }
    return found;
}

std::vector<UINT> LoggedSequence(const std::vector<UINT>& ignored) {
    std::vector<UINT> sequence;
    for (const LoggedMessage& entry : MessageLog()) {
        bool skip = false;
        for (UINT message : ignored) skip = skip || entry.message == message;
        if (!skip) sequence.push_back(entry.message);
    }
    return sequence;
}

void SetMessageHook(MessageHook hook) {
    Hook() = std::move(hook);
}

void RegisterTestClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kTestClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

HWND CreateTestWindow(int clientWidth, int clientHeight, int x, int y, DWORD style) {
    RegisterTestClass();
    RECT rect{0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, style, FALSE);
    return CreateWindowExW(0, kTestClassName, L"Test", style, x + rect.left, y + rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

int PumpMessages(bool* quitSeen) {
    int dispatched = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (quitSeen) *quitSeen = true;
            return dispatched;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        ++dispatched;
    }
    return dispatched;
}

}  // namespace kl::test
