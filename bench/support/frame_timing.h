// Timing of whole frames: wall time, and CPU time of the calling thread
// (which issues every GL call; the rasterizer's own threads are not in it).
#pragma once

#include <functional>

namespace kl::bench {

struct FrameTiming {
    int frames = 0;
    double wallSeconds = 0.0;
    double threadCpuSeconds = 0.0;

    double FramesPerSecond() const { return frames > 0 ? frames / wallSeconds : 0.0; }
    double MillisecondsPerFrame() const { return frames > 0 ? 1e3 * wallSeconds / frames : 0.0; }
    double CpuMillisecondsPerFrame() const {
        return frames > 0 ? 1e3 * threadCpuSeconds / frames : 0.0;
    }
};

struct TimingBudget {
    double minSeconds = 1.5;
    int minFrames = 3;
    int maxFrames = 500;
};

// Draws one frame untimed (shaders are compiled on first use), then frames
// until both minimums are met or maxFrames is reached. `frame` must wait for
// its frame to finish.
FrameTiming TimeFrames(const std::function<void()>& frame, const TimingBudget& budget);

// CPU time the calling thread has used, in seconds.
double ThreadCpuSeconds();

}  // namespace kl::bench
