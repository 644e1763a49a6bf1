// MessageBoxW: one line "<caption>: <text>" on standard error in every mode,
// so that the message survives where no one sees a box; a real box where a
// display is used. The box has only an OK button, so the result is IDOK.
#include <SDL.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "common/wide_text.h"
#include "testing/windows.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

// Windows' caption for a box without one.
constexpr wchar_t kDefaultCaption[] = L"Error";
constexpr UINT kIconMask = 0x000000F0;

struct Capture {
    std::mutex lock;
    bool enabled = false;
    std::vector<testing::CapturedMessageBox> boxes;
};

Capture& Captured() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Capture& capture = *new Capture;
    return capture;
}

// Line breaks inside the text would split the line.
std::string OneLine(const std::wstring& text) {
    std::string line = platform::ToUtf8(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

Uint32 SdlBoxKind(UINT type) {
    switch (type & kIconMask) {
        case MB_ICONEXCLAMATION:
            return SDL_MESSAGEBOX_WARNING;
        case MB_ICONINFORMATION:
        case MB_ICONQUESTION:
            return SDL_MESSAGEBOX_INFORMATION;
        default:
            return SDL_MESSAGEBOX_ERROR;
    }
}

bool CaptureBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    Capture& capture = Captured();
    std::lock_guard<std::mutex> hold(capture.lock);
    if (!capture.enabled) return false;
    capture.boxes.push_back(testing::CapturedMessageBox{owner, text, caption, type});
    return true;
}

}  // namespace

}  // namespace kl::win32

using namespace kl::win32;

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
    const std::wstring text = lpText ? lpText : L"";
    const std::wstring caption = lpCaption ? lpCaption : kDefaultCaption;
    const std::string line = OneLine(caption) + ": " + OneLine(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    if (CaptureBox(hWnd, text, caption, uType)) return IDOK;
    if (UsingDisplay()) {
        const Window* owner = WindowFromHandle(hWnd);
        SDL_ShowSimpleMessageBox(SdlBoxKind(uType), kl::platform::ToUtf8(caption).c_str(),
                                 kl::platform::ToUtf8(text).c_str(), owner ? owner->sdl : nullptr);
    }
    return IDOK;
}

namespace kl::testing {

void CaptureMessageBoxes(bool capture) {
    std::lock_guard<std::mutex> hold(win32::Captured().lock);
    win32::Captured().enabled = capture;
}

std::vector<CapturedMessageBox> CapturedMessageBoxes() {
    std::lock_guard<std::mutex> hold(win32::Captured().lock);
    return win32::Captured().boxes;
}

}  // namespace kl::testing
