// The fixed frame time that replaces the measured one when enabled.
#include "framework/framework_state.h"
#include "framework/initialization.h"

void EnableConstantFrameTime(bool enabled, float seconds) {
    FrameworkState& state = GetFrameworkState();
    // The command line has the last word over the program's own request.
    if (state.GetOverrideConstantFrameTime()) {
        enabled = true;
        seconds = state.GetOverrideConstantFrameTimeValue();
    }
    state.SetConstantFrameTimeEnabled(enabled);
    state.SetConstantFrameTime(seconds);
}
