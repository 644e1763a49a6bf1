// Working folders for the benchmarks: the staged default scene's meshes,
// textures and shaders with a light list of a chosen length.
#pragma once

#include <filesystem>
#include <string>

namespace kl::bench {

// Where the point lights stand.
enum class LightLayout {
    // A ring through the room at three heights, radius 120: most of them
    // reach every pixel on the screen.
    Ring,
    // Small lights, radius 25, spread over the default room's floor and
    // walls: each lights a patch.
    Small,
};

// Makes a fresh folder under the system's temporary folder that links to
// stageFolder's meshes\, textures\, shaders\ and test.meshs and holds its own
// test.lights: one sun and lightCount - 1 coloured point lights placed by
// `layout`, dimmed so that their sum stays in range. With
// fullScreenPointQuads the folder gets its own copy of the effect whose
// point lights shade the whole screen, as they did before their quads were
// bounded. Empty path on failure, with the reason in *error.
std::filesystem::path MakeBenchScene(const std::filesystem::path& stageFolder, int lightCount,
                                     LightLayout layout, bool fullScreenPointQuads,
                                     std::string* error);

}  // namespace kl::bench
