// Window classes, creating and destroying windows.
#include <SDL.h>

#include "common/wide_text.h"
#include "win32/menus.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr ATOM kFirstClassAtom = 0xC000;
// Where CW_USEDEFAULT places a window, from the work area's top-left corner;
// each further window is moved down and right by the same step, as Windows
// cascades them.
constexpr LONG kDefaultPositionStep = 26;
constexpr int kCascadeLength = 8;

ATOM& NextClassAtom() {
    static ATOM atom = kFirstClassAtom;
    return atom;
}

int& DefaultPositionIndex() {
    static int index = 0;
    return index;
}

// A class name given as an atom (MAKEINTATOM) instead of a string.
bool IsAtomName(LPCWSTR name) {
    return reinterpret_cast<uintptr_t>(name) < 0x10000;
}

std::wstring ClassNameOf(LPCWSTR name) {
    if (IsAtomName(name)) return L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name));
    return name;
}

// Overlapped windows always have a caption and clip their siblings.
DWORD EffectiveStyle(DWORD style) {
    if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
    return style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
}

RECT InitialRect(int x, int y, int width, int height, DWORD style) {
    const RECT work = DesktopMonitors().front().work;
    if (x == CW_USEDEFAULT && !(style & WS_CHILD)) {
        const LONG offset = kDefaultPositionStep * (1 + DefaultPositionIndex()++ % kCascadeLength);
        x = work.left + offset;
        y = work.top + offset;
    }
    if (width == CW_USEDEFAULT && !(style & WS_CHILD)) {
        width = (work.right - work.left) * 3 / 4;
        height = (work.bottom - work.top) * 3 / 4;
    }
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
    if (width == CW_USEDEFAULT) width = 0;
    if (height == CW_USEDEFAULT) height = 0;
    return BoundedWindowRect(x, y, width, height);
}

SDL_Window* CreateSdlWindow(const Window& window) {
    const RECT client = ClientRectInScreen(window);
    const int width = std::max<LONG>(1, client.right - client.left);
    const int height = std::max<LONG>(1, client.bottom - client.top);
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (window.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(window.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER))) flags |= SDL_WINDOW_BORDERLESS;
    const std::string title = platform::ToUtf8(window.title);
    // The device layer renders into the window with OpenGL; a display
    // without OpenGL still gets a window.
    SDL_Window* created = SDL_CreateWindow(title.c_str(), client.left, client.top, width, height,
                                           flags | SDL_WINDOW_OPENGL);
    if (!created)
        created = SDL_CreateWindow(title.c_str(), client.left, client.top, width, height, flags);
    return created;
}

void SendCreationSizes(HWND handle) {
    Window* window = WindowFromHandle(handle);
    if (!window) return;
    const RECT client = ClientRectInScreen(*window);
    CallWindowProcedure(handle, WM_SIZE, SIZE_RESTORED,
                        MAKELONG(client.right - client.left, client.bottom - client.top));
    CallWindowProcedure(handle, WM_MOVE, 0, MAKELONG(client.left, client.top));
}

void UpdateTopLevelCount() {
    SetTopLevelWindowCount(static_cast<int>(TopLevelWindows().size()));
}

bool SendCreateMessages(HWND handle, const CREATESTRUCTW& create) {
    MINMAXINFO limits{};
    CallWindowProcedure(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if (!WindowFromHandle(handle)) return false;
    const LRESULT result =
        CallWindowProcedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    return result != -1 && WindowFromHandle(handle);
}

int ShowCommandForStyle(DWORD style) {
    if (style & WS_MINIMIZE) return SW_SHOWMINIMIZED;
    if (style & WS_MAXIMIZE) return SW_SHOWMAXIMIZED;
    return SW_SHOW;
}

}  // namespace

}  // namespace kl::win32

using namespace kl::win32;

ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowClass windowClass;
    windowClass.name = ClassNameOf(lpWndClass->lpszClassName);
    windowClass.style = lpWndClass->style;
    windowClass.procedure = lpWndClass->lpfnWndProc;
    windowClass.instance = lpWndClass->hInstance;
    windowClass.icon = lpWndClass->hIcon;
    windowClass.cursor = lpWndClass->hCursor;
    windowClass.background = lpWndClass->hbrBackground;
    if (!AddClass(std::move(windowClass))) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return NextClassAtom()++;
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE) {
    if (!lpClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::wstring name = ClassNameOf(lpClassName);
    if (!FindClass(name)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (ClassHasWindows(name)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    RemoveClass(name);
    return TRUE;
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND hWnd, int nIndex) {
    const Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const WindowClass* windowClass = FindClass(window->className);
    if (!windowClass) return 0;
    switch (nIndex) {
        case GCLP_HCURSOR:
            return reinterpret_cast<ULONG_PTR>(windowClass->cursor);
        case GCLP_HICON:
            return reinterpret_cast<ULONG_PTR>(windowClass->icon);
        default:
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName,
                            DWORD dwStyle, int X, int Y, int nWidth, int nHeight, HWND hWndParent,
                            HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
    if (!lpClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const WindowClass* windowClass = FindClass(ClassNameOf(lpClassName));
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (hWndParent && !WindowFromHandle(hWndParent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (hMenu && !(dwStyle & WS_CHILD) && !IsMenu(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }

    Window record;
    record.className = windowClass->name;
    record.procedure = windowClass->procedure;
    record.title = lpWindowName ? lpWindowName : L"";
    record.style = EffectiveStyle(dwStyle);
    record.exStyle = dwExStyle;
    record.parent = hWndParent;
    record.menu = (dwStyle & WS_CHILD) ? nullptr : hMenu;
    record.rect = InitialRect(X, Y, nWidth, nHeight, dwStyle);
    record.normalRect = record.rect;
    Window& window = AddWindow(std::move(record));
    const HWND handle = window.handle;

    if (UsingDisplay() && !window.parent) {
        window.sdl = CreateSdlWindow(window);
        if (!window.sdl) {
            RemoveWindow(handle);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    UpdateTopLevelCount();
    InstallQuitSignalHandlers();

    const RECT rect = window.rect;
    const CREATESTRUCTW create{lpParam,
                               hInstance,
                               window.menu,
                               hWndParent,
                               static_cast<int>(rect.bottom - rect.top),
                               static_cast<int>(rect.right - rect.left),
                               static_cast<int>(rect.top),
                               static_cast<int>(rect.left),
                               static_cast<LONG>(dwStyle),
                               lpWindowName,
                               lpClassName,
                               dwExStyle};
    if (!SendCreateMessages(handle, create)) {
        if (WindowFromHandle(handle)) DestroyWindow(handle);
        return nullptr;
    }
    SendCreationSizes(handle);
    if (WindowFromHandle(handle) && (dwStyle & WS_VISIBLE)) {
        ShowWindow(handle, ShowCommandForStyle(dwStyle));
    }
    return WindowFromHandle(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->destroying) return TRUE;
    window->destroying = true;
    window->visible = false;
    if (window->sdl) SDL_HideWindow(window->sdl);
    ForgetActiveWindow(hWnd);

    for (HWND child : AllWindows()) {
        const Window* candidate = WindowFromHandle(child);
        if (candidate && candidate->parent == hWnd) DestroyWindow(child);
    }
    CallWindowProcedure(hWnd, WM_DESTROY, 0, 0);

    window = WindowFromHandle(hWnd);
    if (window) {
        if (IsMenu(window->menu)) DestroyMenu(window->menu);
        if (window->sdl) SDL_DestroyWindow(window->sdl);
    }
    DropMessagesFor(hWnd);
    RemoveWindow(hWnd);
    UpdateTopLevelCount();
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return WindowFromHandle(hWnd) != nullptr;
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
    Window* window = WindowFromHandle(hWnd);
    if (!window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    window->title = lpString ? lpString : L"";
    if (window->sdl) SDL_SetWindowTitle(window->sdl, kl::platform::ToUtf8(window->title).c_str());
    return TRUE;
}
