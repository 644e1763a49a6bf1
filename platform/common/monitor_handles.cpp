#include "common/monitor_handles.h"

#include <cstdint>

namespace kl::platform {

namespace {

// Small numbers that never point at memory, away from the other handle kinds.
constexpr uintptr_t kFirstMonitorHandle = 0x20010;
constexpr uintptr_t kMonitorHandleStep = 0x10;

}  // namespace

HMONITOR MonitorHandleOfDisplay(int index) {
    return reinterpret_cast<HMONITOR>(kFirstMonitorHandle +
                                      static_cast<uintptr_t>(index) * kMonitorHandleStep);
}

}  // namespace kl::platform
