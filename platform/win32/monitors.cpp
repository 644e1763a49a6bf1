// Monitors and system metrics: from SDL's displays where a display is used,
// else from the virtual desktop (one monitor, 1024 x 768 unless
// KESTRALUNE_DESKTOP says otherwise, whose work area leaves 40 pixels at the
// bottom for a task bar; or what a test sets).
#include <SDL.h>

#include <algorithm>
#include <map>

#include "common/monitor_handles.h"
#include "common/platform_settings.h"
#include "testing/windows.h"
#include "win32/frame_metrics.h"
#include "win32/window_system.h"

namespace kl::win32 {

namespace {

constexpr LONG kVirtualTaskBarHeight = 40;

testing::VirtualMonitor DefaultVirtualMonitor() {
    const platform::DesktopSize size = platform::VirtualDesktopSize();
    return {RECT{0, 0, size.width, size.height},
            RECT{0, 0, size.width, size.height - kVirtualTaskBarHeight}};
}

struct Desktop {
    std::vector<testing::VirtualMonitor> virtualMonitors{DefaultVirtualMonitor()};
    std::map<int, int> metricOverrides;
};

Desktop& TheDesktop() {
    // Never destroyed: the framework tears down from an exit handler that may
    // run after static destructors, and still uses this state.
    static Desktop& desktop = *new Desktop;
    return desktop;
}

HMONITOR MonitorHandleAt(size_t index) {
    return platform::MonitorHandleOfDisplay(static_cast<int>(index));
}

RECT ToRect(const SDL_Rect& rect) {
    return RECT{rect.x, rect.y, rect.x + rect.w, rect.y + rect.h};
}

std::vector<Monitor> SdlMonitors() {
    std::vector<Monitor> monitors;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds, usable;
        if (SDL_GetDisplayBounds(i, &bounds) != 0) continue;
        if (SDL_GetDisplayUsableBounds(i, &usable) != 0) usable = bounds;
        // Numbered by SDL display, as the Direct3D layer numbers adapters.
        monitors.push_back(Monitor{MonitorHandleAt(static_cast<size_t>(i)), ToRect(bounds),
                                   ToRect(usable), monitors.empty()});
    }
    return monitors;
}

std::vector<Monitor> VirtualMonitors() {
    std::vector<Monitor> monitors;
    for (const testing::VirtualMonitor& monitor : TheDesktop().virtualMonitors) {
        monitors.push_back(Monitor{MonitorHandleAt(monitors.size()), monitor.area, monitor.work,
                                   monitors.empty()});
    }
    return monitors;
}

LONG OverlapArea(const RECT& a, const RECT& b) {
    const LONG width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const LONG height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Distance from a rectangle to a monitor, 0 when they touch or overlap.
int64_t DistanceSquared(const RECT& rect, const RECT& area) {
    const int64_t dx =
        std::max<int64_t>({0, int64_t{area.left} - rect.right, int64_t{rect.left} - area.right});
    const int64_t dy =
        std::max<int64_t>({0, int64_t{area.top} - rect.bottom, int64_t{rect.top} - area.bottom});
    return dx * dx + dy * dy;
}

int ScreenMetric(int index) {
    const RECT area = DesktopMonitors().front().area;
    return index == SM_CXSCREEN ? area.right - area.left : area.bottom - area.top;
}

}  // namespace

std::vector<Monitor> DesktopMonitors() {
    std::vector<Monitor> monitors = UsingDisplay() ? SdlMonitors() : VirtualMonitors();
    if (monitors.empty()) {
        const testing::VirtualMonitor fallback = DefaultVirtualMonitor();
        monitors.push_back(Monitor{MonitorHandleAt(0), fallback.area, fallback.work, true});
    }
    return monitors;
}

std::optional<Monitor> MonitorFromHandle(HMONITOR handle) {
    for (const Monitor& monitor : DesktopMonitors()) {
        if (monitor.handle == handle) return monitor;
    }
    return std::nullopt;
}

std::optional<Monitor> MonitorForRect(const RECT& rect, DWORD flags) {
    const std::vector<Monitor> monitors = DesktopMonitors();
    const Monitor* best = nullptr;
    LONG bestArea = 0;
    for (const Monitor& monitor : monitors) {
        const LONG area = OverlapArea(rect, monitor.area);
        if (area > bestArea) {
            best = &monitor;
            bestArea = area;
        }
    }
    if (best) return *best;
    if (flags & MONITOR_DEFAULTTONEAREST) {
        for (const Monitor& monitor : monitors) {
            if (!best || DistanceSquared(rect, monitor.area) < DistanceSquared(rect, best->area)) {
                best = &monitor;
            }
        }
        return *best;
    }
    if (flags & MONITOR_DEFAULTTOPRIMARY) return monitors.front();
    return std::nullopt;
}

}  // namespace kl::win32

using namespace kl::win32;

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
    const Window* window = WindowFromHandle(hwnd);
    // A minimized window belongs to the monitor it is restored to; an invalid
    // window is on no monitor, and the flags decide.
    const RECT none{0, 0, 0, 0};
    const RECT& rect = !window ? none : window->minimized ? window->normalRect : window->rect;
    const std::optional<Monitor> monitor = MonitorForRect(rect, dwFlags);
    return monitor ? monitor->handle : nullptr;
}

BOOL WINAPI GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi) {
    const std::optional<Monitor> monitor = MonitorFromHandle(hMonitor);
    if (!monitor || !lpmi || lpmi->cbSize < sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lpmi->rcMonitor = monitor->area;
    lpmi->rcWork = monitor->work;
    lpmi->dwFlags = monitor->primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
    const auto& overrides = TheDesktop().metricOverrides;
    if (const auto found = overrides.find(nIndex); found != overrides.end()) return found->second;
    switch (nIndex) {
        case SM_CXSCREEN:
        case SM_CYSCREEN:
            return ScreenMetric(nIndex);
        case SM_CYCAPTION:
            return kCaptionHeight;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return kThinBorder;
        case SM_CYMENU:
            return kMenuBarHeight;
        case SM_CXSIZEFRAME:
        case SM_CYSIZEFRAME:
            return kSizingBorder;
        case SM_CXPADDEDBORDER:
            return kPaddedBorder;
        case SM_CXMINTRACK:
            return kMinimumTrackWidth;
        case SM_CYMINTRACK:
            return kMinimumTrackHeight;
        case SM_CMONITORS:
            return static_cast<int>(DesktopMonitors().size());
        // Not a remote session, not a Media Center edition.
        case SM_REMOTESESSION:
        case SM_MEDIACENTER:
            return 0;
        default:
            return 0;
    }
}

namespace kl::testing {

void SetVirtualMonitors(const std::vector<VirtualMonitor>& monitors) {
    if (!monitors.empty()) TheDesktop().virtualMonitors = monitors;
}

void SetSystemMetric(int index, int value) {
    TheDesktop().metricOverrides[index] = value;
}

void ClearSystemMetricOverrides() {
    TheDesktop().metricOverrides.clear();
}

}  // namespace kl::testing
