// The free-flying camera: how a frame's motion changes cameraMatrix, and the
// aspect-ratio rule that keeps aspectRatio in step with the window.
#pragma once

#include <windows.h>

// The width / height ratio of a WM_SIZE size parameter (width in the low 16
// bits, height in the high 16); a height of 0 counts as 1.
float AspectRatioFromSize(LPARAM sizeParam);

// Moves cameraMatrix along its own axes by (dx, dy, dz), then turns it about
// its own axes and position: yaw about up (positive looks right), pitch about
// right (positive looks down), roll about forward (positive lifts the right
// side). Angles in radians.
void MoveCamera(float dx, float dy, float dz, float yaw, float pitch, float roll);
