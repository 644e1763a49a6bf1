// Menus are handles without items: the framework creates, attaches, detaches
// and destroys them. A window with a menu has a menu bar in its frame.
#include "win32/menus.h"

#include <set>

#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr uintptr_t kFirstMenuHandle = 0x30010;
constexpr uintptr_t kMenuHandleStep = 0x10;

struct MenuTable {
    uintptr_t nextHandle = kFirstMenuHandle;
    std::set<HMENU> live;
};

MenuTable& Menus() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static MenuTable& table = *new MenuTable;
    return table;
}

}  // namespace

bool IsMenu(HMENU menu) {
    return Menus().live.count(menu) > 0;
}

}  // namespace kl::win32

using namespace kl::win32;

HMENU WINAPI CreateMenu(void) {
    MenuTable& table = Menus();
    const HMENU menu = reinterpret_cast<HMENU>(table.nextHandle);
    table.nextHandle += kMenuHandleStep;
    table.live.insert(menu);
    return menu;
}

BOOL WINAPI DestroyMenu(HMENU hMenu) {
    if (!Menus().live.erase(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    // A window whose menu is destroyed keeps the handle, as on Windows, but
    // the handle no longer names a menu.
    return TRUE;
}

HMENU WINAPI GetMenu(HWND hWnd) {
    const Window* window = WindowFromHandle(hWnd);
    return window ? window->menu : nullptr;
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (hMenu && !IsMenu(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    const RECT oldClient = ClientRectInScreen(*window);
    window->menu = hMenu;
    NotifyGeometryChange(hWnd, oldClient, false);
    return TRUE;
}
