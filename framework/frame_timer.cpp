#include "framework/frame_timer.h"

FrameTimer::FrameTimer() {
    LARGE_INTEGER frequency{};
    usesPerformanceCounter = QueryPerformanceFrequency(&frequency) != FALSE;
    ticksPerSecond = frequency.QuadPart;
}

int64_t FrameTimer::ReadCounter() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// A frozen clock reads the instant it was frozen.
int64_t FrameTimer::Now() const {
    return stopPoint != 0 ? stopPoint : ReadCounter();
}

void FrameTimer::Restart() {
    if (!usesPerformanceCounter) return;
    const int64_t now = Now();
    basePoint = now;
    lastElapsedPoint = now;
    stopPoint = 0;
    stopped = false;
}

void FrameTimer::Resume() {
    if (!usesPerformanceCounter) return;
    const int64_t counter = ReadCounter();
    if (stopped) basePoint += counter - stopPoint;
    stopPoint = 0;
    lastElapsedPoint = counter;
    stopped = false;
}

void FrameTimer::Freeze() {
    if (!usesPerformanceCounter || stopped) return;
    stopPoint = ReadCounter();
    lastElapsedPoint = stopPoint;
    stopped = true;
}

double FrameTimer::NowSeconds() {
    if (!usesPerformanceCounter) return -1.0;
    return static_cast<double>(Now()) / static_cast<double>(ticksPerSecond);
}

double FrameTimer::RunSeconds() {
    if (!usesPerformanceCounter) return -1.0;
    return static_cast<double>(Now() - basePoint) / static_cast<double>(ticksPerSecond);
}

double FrameTimer::TakeElapsed() {
    if (!usesPerformanceCounter) return -1.0;
    const int64_t now = Now();
    const double elapsed =
        static_cast<double>(now - lastElapsedPoint) / static_cast<double>(ticksPerSecond);
    lastElapsedPoint = now;
    return elapsed;
}

FrameTimer& GetFrameTimer() {
    static FrameTimer timer;
    return timer;
}
