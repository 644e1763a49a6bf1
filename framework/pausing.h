// Counted pauses of time and rendering: every pause has its matching resume.
#pragma once

// Adds one level to (true) or removes one level from (false) each count; the
// counts never fall below zero. Freezes the frame timer while time is paused.
void PauseFramework(bool pauseTime, bool pauseRendering);
