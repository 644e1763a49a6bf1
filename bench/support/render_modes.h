// The program's six render modes as the benchmarks select them: by setting
// the renderer's mode and channel directly, as the digit keys would.
#pragma once

#include "renderer/effect_contract.h"
#include "renderer/frame_controls.h"

namespace kl::bench {

struct ModeChoice {
    const char* name;
    RenderMode mode;
    const char* channel;  // ChannelView only
};

constexpr ModeChoice kRenderModes[] = {
    {"Deferred", RenderMode::Deferred, kRenderDiffuseToTexture},
    {"Classic", RenderMode::Classic, kRenderDiffuseToTexture},
    {"Diffuse", RenderMode::ChannelView, kRenderDiffuseToTexture},
    {"Specular", RenderMode::ChannelView, kRenderSpecularToTexture},
    {"Position", RenderMode::ChannelView, kRenderPositionToTexture},
    {"Normal", RenderMode::ChannelView, kRenderNormalToTexture},
};

inline void SelectMode(const ModeChoice& choice) {
    renderMode = choice.mode;
    channelTechnique = choice.channel;
}

}  // namespace kl::bench
