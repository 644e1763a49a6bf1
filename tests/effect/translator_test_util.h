// Helpers for translator tests: compile effect text, link passes on a
// headless GL context, and run a pass on a single pixel to read back what
// its pixel shader returned.
#pragma once

#include "d3dx9/effect/effect_compiler.h"

#include <map>
#include <string>
#include <vector>

namespace kl::test {

struct Translation {
    bool ok = false;
    std::string error;  // "file(line,col): message" when !ok
    d3dx9::hlsl::CompiledEffect effect;
};

Translation Translate(const std::string& source,
                      const std::map<std::string, std::string>& includes = {},
                      const std::string& path = "test.fx");

// Links one pass; empty string on success, the GL log otherwise.
std::string LinkPass(const d3dx9::hlsl::CompiledPass& pass);

struct Pixel {
    float r = 0, g = 0, b = 0, a = 0;
};

// Draws the first pass of the technique named `technique` (the first one
// when empty) over a width x height float
// target (clip control as the device sets it: upper-left origin, depth 0..1),
// with the vertex input POSITION fed a full-screen quad, and returns every
// pixel, top row first. `values` overrides parameters by name.
std::vector<Pixel> RenderPass(const d3dx9::hlsl::CompiledEffect& effect, int width, int height,
                              const std::map<std::string, std::vector<float>>& values = {},
                              const std::string& technique = "");

// The 16 floats of a matrix given as rows.
std::vector<float> Rows(std::initializer_list<std::initializer_list<float>> rows);

}  // namespace kl::test
