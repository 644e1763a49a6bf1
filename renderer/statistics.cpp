#include "renderer/statistics.h"

#include <d3dx9.h>

#include <cmath>

#include "framework/framework_state.h"
#include "renderer/render_resources.h"

FrameRateExtremes frameRateExtremes;

namespace {

constexpr float kLargestShownRate = 9999.0f;

}  // namespace

void FormatFrameRate(float framesPerSecond, wchar_t (&text)[kRateTextLength]) {
    float shown = std::isnan(framesPerSecond) ? 0.0f : framesPerSecond;
    if (shown < 0.0f) shown = 0.0f;
    if (shown > kLargestShownRate) shown = kLargestShownRate;
    int value = static_cast<int>(shown);  // truncates toward zero

    wchar_t reversed[kRateTextLength - 1];
    int digits = 0;
    do {
        reversed[digits++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < digits; ++i) text[i] = reversed[digits - 1 - i];
    text[digits] = L'\0';
}

void RecordFrameRate(float framesPerSecond) {
    if (framesPerSecond > frameRateExtremes.highest) {
        frameRateExtremes.highest = framesPerSecond;
        return;
    }
    if (framesPerSecond < frameRateExtremes.lowest && framesPerSecond > 1.0f) {
        frameRateExtremes.lowest = framesPerSecond;
    }
}

void DrawStatistics() {
    const float framesPerSecond = GetFrameworkState().GetFramesPerSecond();
    RecordFrameRate(framesPerSecond);
    wchar_t text[kRateTextLength];
    FormatFrameRate(framesPerSecond, text);
    if (statsFont == nullptr) return;
    statsFont->DrawTextW(nullptr, text, kStatsCharacters, &statsRect, 0, kStatsColour);
}
