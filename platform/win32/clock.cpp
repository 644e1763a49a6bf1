// The performance counter on the monotonic clock, Sleep, GetTickCount, and
// the manual clock that tests switch to.
#include <windows.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "testing/clock.h"

namespace {

struct ClockState {
    bool manual = false;
    bool counterAvailable = true;
    int64_t manualTicks = 0;
};

ClockState& Clock() {
    static ClockState state;
    return state;
}

int64_t MonotonicNanoseconds() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr int64_t kNanosecondsPerSecond = 1000000000;

}  // namespace

namespace kl::testing {

void UseManualClock(int64_t startTicks) {
    Clock().manual = true;
    Clock().manualTicks = startTicks;
}

void UseRealClock() {
    Clock().manual = false;
}

void SetManualClockTicks(int64_t ticks) {
    Clock().manualTicks = ticks;
}

void AdvanceManualClockSeconds(double seconds) {
    Clock().manualTicks += static_cast<int64_t>(std::llround(seconds * kManualClockFrequency));
}

int64_t ManualClockTicks() {
    return Clock().manualTicks;
}

void SetPerformanceCounterAvailable(bool available) {
    Clock().counterAvailable = available;
}

}  // namespace kl::testing

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    if (!lpFrequency) return FALSE;
    if (!Clock().counterAvailable) {
        lpFrequency->QuadPart = 0;
        return FALSE;
    }
    lpFrequency->QuadPart =
        Clock().manual ? kl::testing::kManualClockFrequency : kNanosecondsPerSecond;
    return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    if (!lpPerformanceCount) return FALSE;
    if (!Clock().counterAvailable) {
        lpPerformanceCount->QuadPart = 0;
        return FALSE;
    }
    lpPerformanceCount->QuadPart = Clock().manual ? Clock().manualTicks : MonotonicNanoseconds();
    return TRUE;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (Clock().manual) {
        kl::testing::AdvanceManualClockSeconds(dwMilliseconds / 1000.0);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI GetTickCount(void) {
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000);
}
