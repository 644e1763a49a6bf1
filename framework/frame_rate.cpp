#include "framework/frame_rate.h"

#include "framework/frame_timer.h"
#include "framework/framework_state.h"

void UpdateFrameRate() {
    FrameworkState& state = GetFrameworkState();
    if (state.GetNoStats()) return;

    const double lastUpdateTime = state.GetLastStatsUpdateTime();
    const uint32_t frames = state.GetLastStatsUpdateFrames() + 1;
    const double now = GetFrameTimer().NowSeconds();
    state.SetLastStatsUpdateFrames(frames);

    const double secondsSinceUpdate = now - lastUpdateTime;
    if (secondsSinceUpdate > 1.0) {
        state.SetFramesPerSecond(static_cast<float>(frames / secondsSinceUpdate));
        state.SetLastStatsUpdateTime(now);
        state.SetLastStatsUpdateFrames(0);
    }
}
