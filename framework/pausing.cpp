#include "framework/pausing.h"

#include <algorithm>

#include "framework/frame_timer.h"
#include "framework/framework_state.h"

void PauseFramework(bool pauseTime, bool pauseRendering) {
    FrameworkState& state = GetFrameworkState();

    const int32_t timeCount = std::max(0, state.GetTimePauseCount() + (pauseTime ? 1 : -1));
    state.SetTimePauseCount(timeCount);
    const int32_t renderingCount =
        std::max(0, state.GetRenderingPauseCount() + (pauseRendering ? 1 : -1));
    state.SetRenderingPauseCount(renderingCount);

    if (timeCount > 0) {
        GetFrameTimer().Freeze();
    } else {
        GetFrameTimer().Resume();
    }

    state.SetRenderingPaused(renderingCount > 0);
    state.SetTimePaused(timeCount > 0);
}
