// Keys as keyboard messages: virtual keys, lParam bits, system keys with
// Alt, the low-level keyboard hook, characters.
#include <gtest/gtest.h>
#include <windows.h>

#include "common/frame_script.h"
#include "platform/testing.h"
#include "win32/key_codes.h"
#include "win32_test_support.h"

namespace {

using kl::test::LoggedSequence;
using kl::test::MessageLog;
using kl::test::PumpMessages;

struct Key {
    UINT message;
    WPARAM virtualKey;
    uint32_t lParam;
    bool operator==(const Key& other) const {
        return message == other.message && virtualKey == other.virtualKey && lParam == other.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Key& key) {
    return out << std::hex << "{0x" << key.message << ", 0x" << key.virtualKey << ", 0x"
               << key.lParam << "}";
}

std::vector<Key> KeyMessages() {
    std::vector<Key> keys;
    for (const auto& entry : MessageLog()) {
        if (entry.message >= WM_KEYDOWN && entry.message <= WM_SYSCHAR) {
            keys.push_back(Key{entry.message, entry.wParam, static_cast<uint32_t>(entry.lParam)});
        }
    }
    return keys;
}

HWND ActiveTestWindow() {
    const HWND window = kl::test::CreateTestWindow(320, 240);
    ShowWindow(window, SW_SHOW);
    PumpMessages();
    MessageLog().clear();
    return window;
}

TEST(Keyboard, LetterPressGivesKeyDownCharKeyUp) {
    ActiveTestWindow();
    kl::testing::InjectKeyPress('A');
    PumpMessages();
    // Scan code 0x1E; key-up sets the previous-state and transition bits.
    EXPECT_EQ(KeyMessages(), (std::vector<Key>{{WM_KEYDOWN, 'A', 0x001E0001},
                                               {WM_CHAR, 'a', 0x001E0001},
                                               {WM_KEYUP, 'A', 0xC01E0001}}));
}

TEST(Keyboard, AltEnterIsASystemKeyWithTheContextBit) {
    ActiveTestWindow();
    kl::testing::InjectKey(VK_MENU, true);
    kl::testing::InjectKeyPress(VK_RETURN);
    kl::testing::InjectKey(VK_MENU, false);
    PumpMessages();
    EXPECT_EQ(KeyMessages(), (std::vector<Key>{{WM_SYSKEYDOWN, VK_MENU, 0x20380001},
                                               {WM_SYSKEYDOWN, VK_RETURN, 0x201C0001},
                                               {WM_SYSCHAR, VK_RETURN, 0x201C0001},
                                               {WM_SYSKEYUP, VK_RETURN, 0xE01C0001},
                                               {WM_KEYUP, VK_MENU, 0xC0380001}}));
}

TEST(Keyboard, AltAloneReleasesAsSystemKeyAndF10IsASystemKey) {
    ActiveTestWindow();
    kl::testing::InjectKeyPress(VK_MENU);
    kl::testing::InjectKeyPress(VK_F10);
    PumpMessages();
    EXPECT_EQ(KeyMessages(), (std::vector<Key>{{WM_SYSKEYDOWN, VK_MENU, 0x20380001},
                                               {WM_SYSKEYUP, VK_MENU, 0xC0380001},
                                               {WM_SYSKEYDOWN, VK_F10, 0x00440001},
                                               {WM_SYSKEYUP, VK_F10, 0xC0440001}}));
}

TEST(Keyboard, RepeatSetsThePreviousStateBitAndArrowsAreExtended) {
    ActiveTestWindow();
    kl::testing::InjectKey(VK_LEFT, true);
    kl::testing::InjectKey(VK_LEFT, true);
    kl::testing::InjectKey(VK_LEFT, false);
    PumpMessages();
    EXPECT_EQ(KeyMessages(), (std::vector<Key>{{WM_KEYDOWN, VK_LEFT, 0x014B0001},
                                               {WM_KEYDOWN, VK_LEFT, 0x414B0001},
                                               {WM_KEYUP, VK_LEFT, 0xC14B0001}}));
}

TEST(Keyboard, ControlAltKeysAreNotSystemKeys) {
    ActiveTestWindow();
    kl::testing::InjectKey(VK_CONTROL, true);
    kl::testing::InjectKey(VK_MENU, true);
    kl::testing::InjectKey('X', true);
    PumpMessages();
    const std::vector<Key> keys = KeyMessages();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[1], (Key{WM_KEYDOWN, VK_MENU, 0x20380001}));
    EXPECT_EQ(keys[2], (Key{WM_KEYDOWN, 'X', 0x202D0001}));
}

TEST(Keyboard, KeysWithoutAnActiveWindowGoNowhere) {
    kl::test::CreateTestWindow(320, 240);  // never shown, never active
    kl::testing::InjectKeyPress(VK_ESCAPE);
    PumpMessages();
    EXPECT_TRUE(KeyMessages().empty());
}

std::vector<KBDLLHOOKSTRUCT>& HookLog() {
    static std::vector<KBDLLHOOKSTRUCT> log;
    return log;
}
std::vector<WPARAM>& HookMessages() {
    static std::vector<WPARAM> messages;
    return messages;
}
HHOOK& InstalledHook() {
    static HHOOK hook = nullptr;
    return hook;
}

LRESULT CALLBACK SwallowWindowsKeys(int code, WPARAM wParam, LPARAM lParam) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    HookLog().push_back(*info);
    HookMessages().push_back(wParam);
    if (code == HC_ACTION && (info->vkCode == VK_LWIN || info->vkCode == VK_RWIN)) return 1;
    return CallNextHookEx(InstalledHook(), code, wParam, lParam);
}

TEST(KeyboardHook, SwallowsWhatItReturnsNonzeroFor) {
    ActiveTestWindow();
    InstalledHook() = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowWindowsKeys, nullptr, 0);
    ASSERT_NE(InstalledHook(), nullptr);
    EXPECT_EQ(kl::testing::InstalledKeyboardHooks(), (std::vector<HOOKPROC>{SwallowWindowsKeys}));
    kl::testing::InjectKeyPress(VK_LWIN);
    kl::testing::InjectKey(VK_MENU, true);
    kl::testing::InjectKeyPress(VK_TAB);
    kl::testing::InjectKey(VK_MENU, false);
    PumpMessages();
    ASSERT_EQ(HookLog().size(), 6u);
    EXPECT_EQ(HookLog()[0].vkCode, static_cast<DWORD>(VK_LWIN));
    EXPECT_EQ(HookLog()[0].flags, 0x01u);                          // extended
    EXPECT_EQ(HookLog()[1].flags, 0x81u);                          // extended, up
    EXPECT_EQ(HookLog()[2].vkCode, static_cast<DWORD>(VK_LMENU));  // side-specific
    EXPECT_EQ(HookMessages()[3], static_cast<WPARAM>(WM_SYSKEYDOWN));
    EXPECT_EQ(HookLog()[3].flags, 0x20u);  // Alt held
    // The Windows key never reached the window; Alt+Tab did.
    for (const Key& key : KeyMessages()) EXPECT_NE(key.virtualKey, static_cast<WPARAM>(VK_LWIN));
    EXPECT_EQ(KeyMessages().size(), 5u);  // Alt, Tab, its character, Tab up, Alt up

    EXPECT_TRUE(UnhookWindowsHookEx(InstalledHook()));
    EXPECT_FALSE(UnhookWindowsHookEx(InstalledHook()));
    EXPECT_TRUE(kl::testing::InstalledKeyboardHooks().empty());
    kl::testing::InjectKeyPress(VK_RWIN);
    PumpMessages();
    EXPECT_EQ(HookLog().size(), 6u);
    EXPECT_EQ(KeyMessages().back().virtualKey, static_cast<WPARAM>(VK_RWIN));
}

int& OlderHookCalls() {
    static int calls = 0;
    return calls;
}

LRESULT CALLBACK OlderHook(int, WPARAM, LPARAM) {
    ++OlderHookCalls();
    return 0;
}

TEST(KeyboardHook, CallNextHookExRunsTheOlderHookAndEndsWithZero) {
    ActiveTestWindow();
    const HHOOK older = SetWindowsHookExW(WH_KEYBOARD_LL, OlderHook, nullptr, 0);
    InstalledHook() = SetWindowsHookExW(WH_KEYBOARD_LL, SwallowWindowsKeys, nullptr, 0);
    kl::testing::InjectKeyPress('Q');
    PumpMessages();
    EXPECT_EQ(OlderHookCalls(), 2);
    EXPECT_EQ(CallNextHookEx(older, HC_ACTION, WM_KEYDOWN, 0), 0);
    EXPECT_EQ(SetWindowsHookExW(2 /* WH_KEYBOARD */, OlderHook, nullptr, 0), nullptr);
}

TEST(KeyCodes, SdlKeysMapToVirtualKeysAndScanCodes) {
    using kl::win32::KeyFromSdl;
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_PAUSE, SDLK_PAUSE).virtualKey, static_cast<UINT>(VK_PAUSE));
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE).scanCode, 0x01u);
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_F12, SDLK_F12).virtualKey, static_cast<UINT>(VK_F12));
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN).virtualKey,
              static_cast<UINT>(VK_NEXT));
    EXPECT_TRUE(KeyFromSdl(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP).extended);
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_RALT, SDLK_RALT).virtualKey, static_cast<UINT>(VK_MENU));
    EXPECT_TRUE(KeyFromSdl(SDL_SCANCODE_RALT, SDLK_RALT).extended);
    EXPECT_EQ(kl::win32::SideSpecificVirtualKey(KeyFromSdl(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT)),
              static_cast<UINT>(VK_RSHIFT));
    // Letters follow the layout: the key left of W on a French keyboard types A.
    const auto azertyA = KeyFromSdl(SDL_SCANCODE_Q, SDLK_a);
    EXPECT_EQ(azertyA.virtualKey, static_cast<UINT>('A'));
    EXPECT_EQ(azertyA.scanCode, 0x10u);
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_7, SDLK_7).virtualKey, static_cast<UINT>('7'));
    EXPECT_EQ(KeyFromSdl(SDL_SCANCODE_MENU, SDLK_MENU).virtualKey, 0u);
}

}  // namespace

namespace {

TEST(Keyboard, InputScriptKeysArriveWhenTheirFrameIsDue) {
    setenv("KESTRALUNE_INPUT_SCRIPT", "0:press:F8;2:down:W", 1);
    const HWND window = kl::test::CreateTestWindow(320, 240);
    ShowWindow(window, SW_SHOW);
    MessageLog().clear();
    kl::test::PumpMessages();  // frame 0's key-down is due at once
    EXPECT_EQ(KeyMessages(), (std::vector<Key>{{WM_KEYDOWN, VK_F8, 0x00420001}}));
    kl::platform::CountPresentedFrame();
    kl::test::PumpMessages();
    EXPECT_EQ(KeyMessages().back(), (Key{WM_KEYUP, VK_F8, 0xC0420001}));
    EXPECT_EQ(KeyMessages().size(), 2u);
    kl::platform::CountPresentedFrame();
    kl::test::PumpMessages();
    const std::vector<Key> keys = KeyMessages();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[2], (Key{WM_KEYDOWN, 'W', 0x00110001}));
    EXPECT_EQ(keys[3], (Key{WM_CHAR, 'w', 0x00110001}));
}

}  // namespace
