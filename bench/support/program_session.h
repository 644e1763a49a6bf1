// Runs the real program inside a benchmark process: the executable's
// callbacks, start-up and shutdown, on a headless device, so that frames can
// be driven and timed one at a time.
#pragma once

#include <d3d9.h>

#include <string>

namespace kl::bench {

// Starts the framework in the current working directory (which must hold the
// scene lists and shaders\) with a windowed width x height device, as the
// program's entry does but without reading the command line. False with the
// reason when the scene or the device could not be made.
bool StartProgram(int width, int height, std::string* error);

// One pass of the main loop: update, draw and present, as RunMainLoop runs it.
void RenderProgramFrame();

// The device the framework holds, or null.
IDirect3DDevice9* ProgramDevice();

// Ends the framework and releases what the application holds, as the
// program's entry does after its main loop.
void StopProgram();

}  // namespace kl::bench
