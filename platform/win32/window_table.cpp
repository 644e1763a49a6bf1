// The process's window classes and windows. Handles are small numbers that
// never point at memory, so a stale handle is recognized instead of read.
#include <algorithm>
#include <map>
#include <memory>

#include "common/wide_text.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr uintptr_t kFirstWindowHandle = 0x10010;
constexpr uintptr_t kWindowHandleStep = 0x10;

struct Tables {
    uintptr_t nextHandle = kFirstWindowHandle;
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> creationOrder;
    std::map<std::wstring, WindowClass> classes;  // keyed by folded name
};

Tables& State() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Tables& tables = *new Tables;
    return tables;
}

}  // namespace

Window* WindowFromHandle(HWND handle) {
    const auto found = State().windows.find(handle);
    return found == State().windows.end() ? nullptr : found->second.get();
}

Window& AddWindow(Window window) {
    Tables& tables = State();
    window.handle = reinterpret_cast<HWND>(tables.nextHandle);
    tables.nextHandle += kWindowHandleStep;
    const HWND handle = window.handle;
    tables.creationOrder.push_back(handle);
    auto& stored = tables.windows[handle];
    stored = std::make_unique<Window>(std::move(window));
    return *stored;
}

void RemoveWindow(HWND handle) {
    Tables& tables = State();
    tables.windows.erase(handle);
    auto& order = tables.creationOrder;
    order.erase(std::remove(order.begin(), order.end(), handle), order.end());
}

std::vector<HWND> AllWindows() {
    return State().creationOrder;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> result;
    for (HWND handle : State().creationOrder) {
        const Window* window = WindowFromHandle(handle);
        if (window && !window->parent) result.push_back(handle);
    }
    return result;
}

WindowClass* FindClass(std::wstring_view name) {
    const auto found = State().classes.find(platform::FoldCase(name));
    return found == State().classes.end() ? nullptr : &found->second;
}

bool AddClass(WindowClass windowClass) {
    const std::wstring key = platform::FoldCase(windowClass.name);
    return State().classes.emplace(key, std::move(windowClass)).second;
}

bool RemoveClass(std::wstring_view name) {
    return State().classes.erase(platform::FoldCase(name)) > 0;
}

bool ClassHasWindows(std::wstring_view name) {
    const std::wstring key = platform::FoldCase(name);
    for (const auto& [handle, window] : State().windows) {
        if (platform::FoldCase(window->className) == key) return true;
    }
    return false;
}

}  // namespace kl::win32
