// The framework's clock, read from the performance counter: application time
// in seconds since the last restart (frozen spans skipped) and the time
// elapsed between readings.
#pragma once

#include <windows.h>

#include <cstdint>

class FrameTimer {
public:
    FrameTimer();

    // Starts the clock at time 0 (and unfreezes it).
    void Restart();
    // Unfreezes the clock; the frozen span does not count.
    void Resume();
    // Freezes the clock at the current instant.
    void Freeze();

    // Seconds since the counter's origin (-1.0 without a counter).
    double NowSeconds();
    // Application time: seconds since the last restart, frozen spans skipped.
    double RunSeconds();
    // Seconds since the previous elapsed reading, restart, resume or freeze.
    double TakeElapsed();

    bool IsStopped() const { return stopped; }

private:
    int64_t Now() const;
    static int64_t ReadCounter();

    bool usesPerformanceCounter = false;
    bool stopped = true;
    int64_t ticksPerSecond = 0;
    int64_t stopPoint = 0;
    int64_t lastElapsedPoint = 0;
    int64_t basePoint = 0;
};

// The process's one timer, constructed on first use.
FrameTimer& GetFrameTimer();
