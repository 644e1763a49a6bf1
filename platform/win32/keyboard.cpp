// Key events to keyboard messages, the low-level keyboard hook chain, and
// TranslateMessage's characters.
#include <array>
#include <vector>

#include "testing/windows.h"
#include "win32/key_codes.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

// KBDLLHOOKSTRUCT flags.
constexpr DWORD kHookExtended = 0x01;
constexpr DWORD kHookAltDown = 0x20;
constexpr DWORD kHookKeyUp = 0x80;

constexpr int kScanCodeShift = 16;
constexpr int kExtendedBit = 24;
constexpr int kContextBit = 29;
constexpr int kPreviousStateBit = 30;
constexpr int kTransitionBit = 31;

constexpr uintptr_t kFirstHookHandle = 0x40010;
constexpr uintptr_t kHookHandleStep = 0x10;

struct Hook {
    HHOOK handle;
    HOOKPROC procedure;
};

struct KeyboardState {
    std::array<bool, 256> down{};
    // A key was pressed while Alt was held: releasing Alt is then an
    // ordinary key-up instead of the system key that opens the menu.
    bool keyDuringAlt = false;
    std::vector<Hook> hooks;  // most recent first
    uintptr_t nextHookHandle = kFirstHookHandle;
};

KeyboardState& Keyboard() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static KeyboardState& state = *new KeyboardState;
    return state;
}

bool IsDown(UINT virtualKey) {
    return Keyboard().down[virtualKey & 0xFF];
}

UINT MessageFor(UINT virtualKey, bool down, bool altHeld, bool ctrlHeld) {
    bool system;
    if (virtualKey == VK_MENU) {
        system = down ? !ctrlHeld : !Keyboard().keyDuringAlt;
    } else {
        system = (altHeld && !ctrlHeld) || virtualKey == VK_F10;
    }
    if (down) return system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    return system ? WM_SYSKEYUP : WM_KEYUP;
}

LPARAM KeyLParam(const KeyCode& key, bool down, bool altContext, bool wasDown) {
    const auto bit = [](bool set, int position) {
        return set ? (LPARAM{1} << position) : LPARAM{0};
    };
    return LPARAM{1} | (static_cast<LPARAM>(key.scanCode & 0xFF) << kScanCodeShift) |
           bit(key.extended, kExtendedBit) | bit(altContext, kContextBit) |
           bit(wasDown, kPreviousStateBit) | bit(!down, kTransitionBit);
}

// Runs the first hook of the chain (it calls CallNextHookEx for the rest);
// nonzero means the key is swallowed.
LRESULT RunKeyboardHooks(UINT message, const KeyCode& key, bool down, bool altContext) {
    if (Keyboard().hooks.empty()) return 0;
    KBDLLHOOKSTRUCT info{};
    info.vkCode = SideSpecificVirtualKey(key);
    info.scanCode = key.scanCode;
    info.flags = (key.extended ? kHookExtended : 0) | (altContext ? kHookAltDown : 0) |
                 (down ? 0 : kHookKeyUp);
    info.time = GetTickCount();
    const HOOKPROC first = Keyboard().hooks.front().procedure;
    return first(HC_ACTION, message, reinterpret_cast<LPARAM>(&info));
}

void RecordKey(UINT virtualKey, bool down, bool altHeld) {
    KeyboardState& state = Keyboard();
    if (virtualKey == VK_MENU && down && !state.down[VK_MENU]) state.keyDuringAlt = false;
    if (virtualKey != VK_MENU && down && altHeld) state.keyDuringAlt = true;
    state.down[virtualKey & 0xFF] = down;
}

// The character a key types on a US layout, 0 for keys that type none.
WPARAM CharacterFor(UINT virtualKey) {
    const bool shift = IsDown(VK_SHIFT);
    const bool ctrl = IsDown(VK_CONTROL);
    // Ctrl+Alt chords type nothing on a US layout.
    if (ctrl && IsDown(VK_MENU)) return 0;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (ctrl) return virtualKey - 'A' + 1;
        return shift ? virtualKey : virtualKey - 'A' + 'a';
    }
    if (virtualKey >= '0' && virtualKey <= '9') return ctrl || shift ? 0 : virtualKey;
    switch (virtualKey) {
        case VK_SPACE:
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_BACK:
        case VK_TAB:
            return virtualKey;
        default:
            return 0;
    }
}

}  // namespace

void ProcessKeyEvent(const KeyCode& key, bool down, HWND target) {
    const UINT virtualKey = key.virtualKey;
    if (virtualKey == 0 || virtualKey > 0xFF) return;
    const bool altHeld = IsDown(VK_MENU);
    const bool ctrlHeld = IsDown(VK_CONTROL);
    const bool altContext = virtualKey == VK_MENU ? down : altHeld;
    const bool wasDown = down ? IsDown(virtualKey) : true;
    const UINT message = MessageFor(virtualKey, down, altHeld, ctrlHeld);
    if (RunKeyboardHooks(message, key, down, altContext) != 0) return;
    RecordKey(virtualKey, down, altHeld);
    if (!target) target = ActiveWindow();
    if (!target) return;
    PostToQueue(target, message, virtualKey, KeyLParam(key, down, altContext, wasDown));
}

}  // namespace kl::win32

using namespace kl::win32;

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    if (!lpMsg) return FALSE;
    const UINT message = lpMsg->message;
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN && message != WM_KEYUP &&
        message != WM_SYSKEYUP) {
        return FALSE;
    }
    if (message == WM_KEYUP || message == WM_SYSKEYUP) return TRUE;
    const WPARAM character = CharacterFor(static_cast<UINT>(lpMsg->wParam));
    if (character == 0) return TRUE;
    MSG typed = *lpMsg;
    typed.message = message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    typed.wParam = character;
    PostToQueueFront(typed);
    return TRUE;
}

HHOOK WINAPI SetWindowsHookExW(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD) {
    if (idHook != WH_KEYBOARD_LL || !lpfn) {
        // Only the low-level keyboard hook exists here.
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    KeyboardState& state = Keyboard();
    const HHOOK handle = reinterpret_cast<HHOOK>(state.nextHookHandle);
    state.nextHookHandle += kHookHandleStep;
    state.hooks.insert(state.hooks.begin(), Hook{handle, lpfn});
    return handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
    auto& hooks = Keyboard().hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->handle == hhk) {
            hooks.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
    const auto& hooks = Keyboard().hooks;
    for (size_t i = 0; i + 1 < hooks.size(); ++i) {
        if (hooks[i].handle == hhk) return hooks[i + 1].procedure(nCode, wParam, lParam);
    }
    return 0;
}

namespace kl::testing {

std::vector<HOOKPROC> InstalledKeyboardHooks() {
    std::vector<HOOKPROC> result;
    for (const Hook& hook : Keyboard().hooks) result.push_back(hook.procedure);
    return result;
}

}  // namespace kl::testing
