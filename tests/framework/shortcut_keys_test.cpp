// Accessibility hot keys and the Windows keys while fullscreen.
#include <gtest/gtest.h>

#include "framework/framework_state.h"
#include "framework/shortcut_keys.h"
#include "framework_test_support.h"

namespace {

using kl::framework_test::FrameworkTest;

constexpr DWORD kHotKeyBits = 0x4 | 0x8;  // hot key active, confirm hot key
constexpr DWORD kAvailable = 0x2;

STICKYKEYS MakeSticky(DWORD flags) {
    return STICKYKEYS{sizeof(STICKYKEYS), flags};
}
TOGGLEKEYS MakeToggle(DWORD flags) {
    return TOGGLEKEYS{sizeof(TOGGLEKEYS), flags};
}
FILTERKEYS MakeFilter(DWORD flags) {
    FILTERKEYS filter{};
    filter.cbSize = sizeof(FILTERKEYS);
    filter.dwFlags = flags;
    filter.iWaitMSec = 1000;
    return filter;
}

class ShortcutKeysTest : public FrameworkTest {
protected:
    // What start-up would have captured from the user's desktop.
    void SaveUserSettings(DWORD sticky, DWORD toggle, DWORD filter) {
        kl::testing::SetAccessibilitySettings(MakeSticky(sticky), MakeToggle(toggle),
                                              MakeFilter(filter));
        FrameworkState& state = GetFrameworkState();
        state.SetSavedStickyKeys(MakeSticky(sticky));
        state.SetSavedToggleKeys(MakeToggle(toggle));
        state.SetSavedFilterKeys(MakeFilter(filter));
    }

    static void ExpectDesktopFlags(DWORD sticky, DWORD toggle, DWORD filter) {
        STICKYKEYS stickyKeys{};
        TOGGLEKEYS toggleKeys{};
        FILTERKEYS filterKeys{};
        kl::testing::GetAccessibilitySettings(&stickyKeys, &toggleKeys, &filterKeys);
        EXPECT_EQ(sticky, stickyKeys.dwFlags);
        EXPECT_EQ(toggle, toggleKeys.dwFlags);
        EXPECT_EQ(filter, filterKeys.dwFlags);
        EXPECT_EQ(DWORD(1000), filterKeys.iWaitMSec);
    }

    static LRESULT FilterKey(WPARAM message, DWORD virtualKey) {
        KBDLLHOOKSTRUCT event{};
        event.vkCode = virtualKey;
        return LowLevelKeyboardFilter(HC_ACTION, message, reinterpret_cast<LPARAM>(&event));
    }
};

TEST_F(ShortcutKeysTest, SuppressingClearsHotKeysAndInstallsTheHook) {
    SaveUserSettings(kAvailable | kHotKeyBits, kAvailable | kHotKeyBits, kHotKeyBits);
    SetShortcutKeysAllowed(false);
    ExpectDesktopFlags(kAvailable, kAvailable, 0);
    FrameworkState& state = GetFrameworkState();
    EXPECT_FALSE(state.GetShortcutKeysAllowed());
    ASSERT_NE(nullptr, state.GetKeyboardHook());
    const auto hooks = kl::testing::InstalledKeyboardHooks();
    ASSERT_EQ(1u, hooks.size());
    EXPECT_EQ(LowLevelKeyboardFilter, hooks[0]);

    SetShortcutKeysAllowed(false);  // a second suppression keeps the one hook
    EXPECT_EQ(1u, kl::testing::InstalledKeyboardHooks().size());

    SetShortcutKeysAllowed(true);
    ExpectDesktopFlags(kAvailable | kHotKeyBits, kAvailable | kHotKeyBits, kHotKeyBits);
    EXPECT_EQ(nullptr, state.GetKeyboardHook());
    EXPECT_TRUE(kl::testing::InstalledKeyboardHooks().empty());
}

TEST_F(ShortcutKeysTest, FeaturesTheUserSwitchedOnAreLeftAlone) {
    SaveUserSettings(0x1 | kHotKeyBits, kHotKeyBits, 0x1 | kHotKeyBits);
    SetShortcutKeysAllowed(false);
    ExpectDesktopFlags(0x1 | kHotKeyBits, 0, 0x1 | kHotKeyBits);
    SetShortcutKeysAllowed(true);
}

TEST_F(ShortcutKeysTest, AllowingWithoutAHookOnlyRestoresTheSettings) {
    SaveUserSettings(kHotKeyBits, kAvailable, kHotKeyBits);
    // The desktop was changed behind the program's back.
    kl::testing::SetAccessibilitySettings(MakeSticky(0), MakeToggle(0), MakeFilter(0));
    SetShortcutKeysAllowed(true);
    ExpectDesktopFlags(kHotKeyBits, kAvailable, kHotKeyBits);
    EXPECT_TRUE(GetFrameworkState().GetShortcutKeysAllowed());
    EXPECT_EQ(nullptr, GetFrameworkState().GetKeyboardHook());
    EXPECT_TRUE(kl::testing::InstalledKeyboardHooks().empty());
}

TEST_F(ShortcutKeysTest, WindowsKeysAreSwallowedOnlyWhileSuppressed) {
    SaveUserSettings(0, 0, 0);
    SetShortcutKeysAllowed(false);
    EXPECT_EQ(1, FilterKey(WM_KEYDOWN, VK_LWIN));
    EXPECT_EQ(1, FilterKey(WM_KEYUP, VK_RWIN));
    // Events with Alt held and other keys pass on to the next hook.
    EXPECT_EQ(0, FilterKey(WM_SYSKEYDOWN, VK_LWIN));
    EXPECT_EQ(0, FilterKey(WM_SYSKEYUP, VK_RWIN));
    EXPECT_EQ(0, FilterKey(WM_KEYDOWN, 'A'));
    KBDLLHOOKSTRUCT event{};
    event.vkCode = VK_LWIN;
    EXPECT_EQ(0, LowLevelKeyboardFilter(-1, WM_KEYDOWN, reinterpret_cast<LPARAM>(&event)));

    SetShortcutKeysAllowed(true);
    EXPECT_EQ(0, FilterKey(WM_KEYDOWN, VK_LWIN));
}

}  // namespace
