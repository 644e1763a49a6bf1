// Working folders for the benchmarks: the staged default scene's meshes,
// textures and shaders with a light list of a chosen length.
#pragma once

#include <filesystem>
#include <string>

namespace kl::bench {

// Makes a fresh folder under the system's temporary folder that links to
// stageFolder's meshes\, textures\, shaders\ and test.meshs and holds its own
// test.lights: one sun and lightCount - 1 coloured point lights spread around
// the room, dimmed so that their sum stays in range. Empty path on failure,
// with the reason in *error.
std::filesystem::path MakeBenchScene(const std::filesystem::path& stageFolder, int lightCount,
                                     std::string* error);

}  // namespace kl::bench
