// The floor the Direct3D 9 layer is measured against: the program's deferred
// and classic frames written directly against OpenGL 4.5, in a context of
// their own. Same meshes (copied out of the loaded scene's ID3DXMesh objects
// and textures), same GLSL (the effect compiler's output for the program's
// effect file, prologues included), same draws, states and copies; what is
// left out is everything the Direct3D 9 layer adds: state shadowing, effect
// parameter bookkeeping, per-draw vertex uploads and COM calls. The
// statistics text is not drawn.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kl::bench {

class OpenGlFloor {
public:
    // Copies what it needs from the scene the program has loaded on `device`
    // (meshList, lightList, screenQuad) and compiles effectPath. Leaves its
    // own context current. Null with the reason in *error.
    static std::unique_ptr<OpenGlFloor> Create(IDirect3DDevice9* device, int width, int height,
                                               const std::string& effectPath, std::string* error);
    virtual ~OpenGlFloor() = default;

    // Each makes the floor's context current and draws one whole frame with
    // the lights' and meshes' current values; Finish waits for the GPU.
    virtual void DrawDeferredFrame() = 0;
    virtual void DrawClassicFrame() = 0;
    virtual void Finish() = 0;
    // Draw calls of the last frame (the screen quads and the mesh ranges).
    virtual int DrawsInLastFrame() const = 0;

    // The last frame as RGBA8 rows, top row first.
    virtual std::vector<uint8_t> ReadPixels() = 0;
};

}  // namespace kl::bench
