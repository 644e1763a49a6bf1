#include "bench_scene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace kl::bench {

namespace {

namespace fs = std::filesystem;

struct BenchLight {
    float r, g, b;
    float x, y, z;
    float dx, dy, dz;
    float radius;
    int kind;  // 1 sun, 2 point
};

// The light file layout: colour, position as x, z, y, direction, radius, kind.
std::string LightFileText(const BenchLight& l) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "! benchmark light\r\n%f\r\n%f\r\n%f\r\n%f\r\n%f\r\n%f\r\n%f\r\n%f\r\n%f\r\n"
                  "%f\r\n%d\r\n",
                  l.r, l.g, l.b, l.x, l.z, l.y, l.dx, l.dy, l.dz, l.radius, l.kind);
    return text;
}

// The sun of the default scene, then point lights on a ring through the room
// at three heights, their hue turning around the colour wheel.
BenchLight LightAt(int index, int lightCount) {
    if (index == 0) return {0.55f, 0.52f, 0.47f, 0, 0, 0, -0.3f, -1.0f, 0.45f, 1000.0f, 1};
    const int points = lightCount - 1;
    const float turn = 6.2831853f * static_cast<float>(index - 1) / static_cast<float>(points);
    const float dim = points > 8 ? 8.0f / static_cast<float>(points) : 1.0f;
    const auto channel = [&](float phase) { return dim * (0.6f + 0.4f * std::cos(turn + phase)); };
    return {channel(0.0f),
            channel(2.094f),
            channel(4.189f),
            55.0f * std::cos(turn),
            -20.0f + 15.0f * static_cast<float>((index - 1) % 3),
            100.0f + 55.0f * std::sin(turn),
            0,
            0,
            0,
            120.0f,
            2};
}

// Small lights 8 units off the default room's surfaces (floor y = -40, walls
// x = -60 and x = 60, far wall z = 300; the camera looks in from z = -100),
// taking the surfaces in turn and spreading over each with a low-discrepancy
// sequence, where the camera sees them (z from 15 to 290).
BenchLight SmallLightAt(int index, int lightCount) {
    if (index == 0) return LightAt(0, lightCount);
    const int points = lightCount - 1;
    const int k = index - 1;
    const float turn = 6.2831853f * static_cast<float>(k) / static_cast<float>(points);
    const float dim = points > 16 ? 16.0f / static_cast<float>(points) : 1.0f;
    const auto channel = [&](float phase) { return dim * (0.6f + 0.4f * std::cos(turn + phase)); };
    const float j = static_cast<float>(k / 4);
    const float u = std::fmod(0.5f + j * 0.7548777f, 1.0f);
    const float v = std::fmod(0.5f + j * 0.5698403f, 1.0f);
    const float across = -55.0f + 110.0f * u, height = -35.0f + 70.0f * u,
                depth = 15.0f + 275.0f * v;
    BenchLight l{channel(0.0f), channel(2.094f), channel(4.189f), 0, 0, 0, 0, 0, 0, 25.0f, 2};
    switch (k % 4) {
        case 0:
            l.x = across, l.y = -32.0f, l.z = depth;
            break;  // floor
        case 1:
            l.x = -52.0f, l.y = height, l.z = depth;
            break;  // left wall
        case 2:
            l.x = 52.0f, l.y = height, l.z = depth;
            break;  // right wall
        default:
            l.x = across, l.y = -35.0f + 70.0f * v, l.z = 292.0f;  // far wall
    }
    return l;
}

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

}  // namespace

// The effect with the point lights' quads covering the whole screen: their
// technique takes the sun's vertex shader.
bool WriteFullScreenEffect(const fs::path& stageFolder, const fs::path& folder,
                           std::string* error) {
    const fs::path source = fs::absolute(stageFolder / "shaders" / "DS_prep.fx");
    std::ifstream in(source, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string bounded = "compile vs_3_0 PointLightVS()";
    const size_t at = text.find(bounded);
    if (at == std::string::npos) {
        *error = source.string() + " has no bounded point-light quads to undo";
        return false;
    }
    text.replace(at, bounded.size(), "compile vs_3_0 QuadVS()");
    std::error_code failure;
    fs::create_directory(folder / "shaders", failure);
    if (failure || !WriteText(folder / "shaders" / "DS_prep.fx", text)) {
        *error = "cannot write the effect in " + folder.string();
        return false;
    }
    return true;
}

fs::path MakeBenchScene(const fs::path& stageFolder, int lightCount, LightLayout layout,
                        bool fullScreenPointQuads, std::string* error) {
    if (lightCount < 1) {
        *error = "a benchmark scene needs at least one light";
        return {};
    }
    std::string pattern = (fs::temp_directory_path() / "kestralune-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        *error = "cannot make a folder under " + fs::temp_directory_path().string();
        return {};
    }
    const fs::path folder = pattern;
    std::error_code failure;
    for (const char* shared : {"meshes", "textures", "shaders", "test.meshs"}) {
        if (fullScreenPointQuads && std::string(shared) == "shaders") {
            if (!WriteFullScreenEffect(stageFolder, folder, error)) return {};
            continue;
        }
        const fs::path source = fs::absolute(stageFolder / shared);
        if (!fs::exists(source)) {
            *error =
                source.string() + " is missing: is " + stageFolder.string() + " a staged build?";
            return {};
        }
        fs::create_symlink(source, folder / shared, failure);
        if (failure) {
            *error = "cannot link " + source.string() + ": " + failure.message();
            return {};
        }
    }
    fs::create_directory(folder / "lights", failure);
    std::string list = "! benchmark lights\r\n";
    for (int i = 0; i < lightCount; ++i) {
        const std::string name = "light" + std::to_string(i) + ".txt";
        if (!WriteText(folder / "lights" / name,
                       LightFileText(layout == LightLayout::Small ? SmallLightAt(i, lightCount)
                                                                  : LightAt(i, lightCount)))) {
            *error = "cannot write the light files in " + folder.string();
            return {};
        }
        list += "lights\\" + name + "\r\n";
    }
    if (!WriteText(folder / "test.lights", list)) {
        *error = "cannot write " + (folder / "test.lights").string();
        return {};
    }
    return folder;
}

}  // namespace kl::bench
