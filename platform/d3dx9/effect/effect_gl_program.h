// Compiling and linking a generated pass into a GL program on the current
// context, and the uniform uploads (program-addressed, so the device's bound
// program and state are not disturbed).
#pragma once

#include "d3dx9/effect/hlsl_types.h"

#include <string>
#include <vector>

namespace kl::d3dx9 {

// 0 on failure, with the GL info logs (one line) in `log`.
unsigned LinkGlslProgram(const std::string& vertex, const std::string& fragment, std::string& log);
// One stage (vertex or fragment) as a separable program, for the device to
// pair with a program of the other stage; 0 on failure, as above.
unsigned LinkGlslStage(bool vertex, const std::string& source, std::string& log);
void DeleteGlslProgram(unsigned program);
int UniformLocation(unsigned program, const std::string& name);

// Uploads `elements` elements of an effect value of HLSL type `type` (element
// type, no array). Floats are laid out row by row; matrices go up untransposed,
// which puts HLSL row i in GLSL column i (see glsl_generator.h).
void UploadUniform(unsigned program, int location, const hlsl::Type& type, int elements,
                   const float* floats);
// Where a whole effect value of `type` goes in a program: one location for a
// value or an array, and for an array of arrays one per outer element (GL
// addresses each inner array on its own). All -1 when the program does not
// use it.
std::vector<int> UniformValueLocations(unsigned program, const std::string& glslName,
                                       const hlsl::Type& type);
// Uploads a whole effect value through the locations above.
void UploadUniformValue(unsigned program, const std::vector<int>& locations, const hlsl::Type& type,
                        const float* floats);
void UploadSamplerStage(unsigned program, int location, int stage);

}  // namespace kl::d3dx9
