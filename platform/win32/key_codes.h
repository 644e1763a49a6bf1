// Keys as Windows names them: virtual-key code, set-1 scan code and whether
// the key is an extended one (right-hand Ctrl and Alt, the arrow block, ...).
#pragma once

#include <SDL.h>
#include <windows.h>

namespace kl::win32 {

struct KeyCode {
    UINT virtualKey = 0;
    UINT scanCode = 0;
    bool extended = false;
};

// The Windows key for an SDL key event; virtualKey 0 for keys Windows has no
// code for here. Letters and digits follow the keyboard layout (SDL's key
// symbol), the other keys their position.
KeyCode KeyFromSdl(SDL_Scancode scancode, SDL_Keycode symbol);

// The key a virtual-key code names (for injected input): the left-hand key of
// VK_SHIFT, VK_CONTROL and VK_MENU.
KeyCode KeyFromVirtualKey(UINT virtualKey);

// The side-specific code the low-level keyboard hook reports (VK_LSHIFT,
// VK_RCONTROL, ...); other keys unchanged.
UINT SideSpecificVirtualKey(const KeyCode& key);

}  // namespace kl::win32
