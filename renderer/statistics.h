// The frame-rate text drawn in the top-left corner of every frame, and the
// highest and lowest rates seen during the run.
#pragma once

#include <windows.h>

// Room for four digits and the terminator.
constexpr int kRateTextLength = 5;
// Black at alpha 100 of 255.
constexpr DWORD kStatsColour = 0x64000000;
// DrawTextW draws only this many characters of the rate text.
constexpr int kStatsCharacters = 2;

// The rate truncated toward zero as decimal digits. Rates of 10000 and more
// would not fit and are shown as 9999; negative or not-a-number rates as 0.
void FormatFrameRate(float framesPerSecond, wchar_t (&text)[kRateTextLength]);

// The extremes of the run: the highest takes every rate above it; the lowest
// takes a rate below it and above 1 in a frame that did not raise the highest.
struct FrameRateExtremes {
    float highest = -1.0f;
    float lowest = 100000.0f;
};
extern FrameRateExtremes frameRateExtremes;
void RecordFrameRate(float framesPerSecond);

// The statistics step, run inside the frame's last scene right before
// EndScene: records the rate and draws its first two characters into
// statsRect. Without statsFont it draws nothing.
void DrawStatistics();
