// A manual clock for the performance counter: once enabled,
// QueryPerformanceCounter reads the manual value, QueryPerformanceFrequency
// reports kManualClockFrequency, and Sleep advances the manual clock instead
// of blocking, so timing code can be tested exactly and fast.
#pragma once

#include <cstdint>

namespace kl::testing {

constexpr int64_t kManualClockFrequency = 1000000;  // ticks per second

void UseManualClock(int64_t startTicks = 0);
void UseRealClock();
void SetManualClockTicks(int64_t ticks);
void AdvanceManualClockSeconds(double seconds);
int64_t ManualClockTicks();
// Makes QueryPerformanceFrequency fail, as on a machine without a counter.
void SetPerformanceCounterAvailable(bool available);

}  // namespace kl::testing
