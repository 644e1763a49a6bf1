// While a fullscreen program is active, the accessibility hot keys (five
// Shift presses and the like) and the Windows keys would throw the user out
// to the desktop; they are switched off then and the user's settings are
// restored otherwise.
#include "framework/shortcut_keys.h"

#include "framework/framework_state.h"

namespace {

// The hot-key bits of each accessibility structure: the hot key itself and
// its confirmation dialog.
constexpr DWORD kHotKeyBits = 0xC;
// The first Windows versions with low-level keyboard hooks are NT 5.
constexpr DWORD kFirstMajorVersionWithHooks = 5;

void RestoreAccessibilitySettings(FrameworkState& state) {
    STICKYKEYS stickyKeys = state.GetSavedStickyKeys();
    SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &stickyKeys, 0);
    TOGGLEKEYS toggleKeys = state.GetSavedToggleKeys();
    SystemParametersInfoW(SPI_SETTOGGLEKEYS, sizeof(TOGGLEKEYS), &toggleKeys, 0);
    FILTERKEYS filterKeys = state.GetSavedFilterKeys();
    SystemParametersInfoW(SPI_SETFILTERKEYS, sizeof(FILTERKEYS), &filterKeys, 0);
}

void RemoveKeyboardHook(FrameworkState& state) {
    HHOOK hook = state.GetKeyboardHook();
    if (!hook) return;
    UnhookWindowsHookEx(hook);
    state.SetKeyboardHook(nullptr);
}

bool KeyboardHooksAvailable() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion >= kFirstMajorVersionWithHooks;
}

void InstallKeyboardHook(FrameworkState& state) {
    if (state.GetKeyboardHook() || !KeyboardHooksAvailable()) return;
    state.SetKeyboardHook(
        SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelKeyboardFilter, GetModuleHandleW(nullptr), 0));
}

// A feature the user has switched on is left as it is: taking its hot key
// away would leave no way to switch it off again.
template <typename Settings>
void DisableHotKeyUnlessOn(Settings settings, DWORD onBit, UINT setAction) {
    if (settings.dwFlags & onBit) return;
    settings.dwFlags &= ~kHotKeyBits;
    SystemParametersInfoW(setAction, sizeof(Settings), &settings, 0);
}

void SuppressShortcutKeys(FrameworkState& state) {
    InstallKeyboardHook(state);
    DisableHotKeyUnlessOn(state.GetSavedStickyKeys(), SKF_STICKYKEYSON, SPI_SETSTICKYKEYS);
    DisableHotKeyUnlessOn(state.GetSavedToggleKeys(), TKF_TOGGLEKEYSON, SPI_SETTOGGLEKEYS);
    DisableHotKeyUnlessOn(state.GetSavedFilterKeys(), FKF_FILTERKEYSON, SPI_SETFILTERKEYS);
}

}  // namespace

void SetShortcutKeysAllowed(bool allow) {
    FrameworkState& state = GetFrameworkState();
    state.SetShortcutKeysAllowed(allow);
    if (allow) {
        RestoreAccessibilitySettings(state);
        RemoveKeyboardHook(state);
    } else {
        SuppressShortcutKeys(state);
    }
}

LRESULT CALLBACK LowLevelKeyboardFilter(int code, WPARAM wParam, LPARAM lParam) {
    FrameworkState& state = GetFrameworkState();
    if (code != HC_ACTION) return CallNextHookEx(state.GetKeyboardHook(), code, wParam, lParam);

    // Only plain key events: with Alt held (system keys) the Windows keys
    // pass, as the system expects.
    if ((wParam == WM_KEYDOWN || wParam == WM_KEYUP) && !state.GetShortcutKeysAllowed()) {
        const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (event && (event->vkCode == VK_LWIN || event->vkCode == VK_RWIN)) return 1;
    }
    return CallNextHookEx(state.GetKeyboardHook(), 0, wParam, lParam);
}
