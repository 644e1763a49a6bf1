// Frame-rate measurement: frames counted over windows of a little more than
// one second of absolute time.
#pragma once

// Counts one frame and, once more than a second has passed since the last
// computation, stores frames / seconds as the frame rate.
void UpdateFrameRate();
