#include "frame_timing.h"

#include <chrono>
#include <ctime>

namespace kl::bench {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

FrameTiming TimeFrames(const std::function<void()>& frame, const TimingBudget& budget) {
    using Clock = std::chrono::steady_clock;
    frame();
    FrameTiming timing;
    const Clock::time_point start = Clock::now();
    const double cpuStart = ThreadCpuSeconds();
    do {
        frame();
        ++timing.frames;
        timing.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (timing.frames < budget.maxFrames &&
             (timing.frames < budget.minFrames || timing.wallSeconds < budget.minSeconds));
    timing.threadCpuSeconds = ThreadCpuSeconds() - cpuStart;
    return timing;
}

}  // namespace kl::bench
