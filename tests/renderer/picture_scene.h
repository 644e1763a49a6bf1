// Small scenes rendered by the real renderer on a headless device: a working
// folder with the effect, textures and .x files the test writes, a device,
// and read-back of the back buffer.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/scene.h"
#include "renderer/frame_controls.h"

namespace kl::test {

struct Rgb {
    int r, g, b;
};

// A square facing the camera at its start pose: corners (±halfSize, ±halfSize)
// at height z, drawn clockwise as Direct3D's front faces are.
struct QuadDescription {
    std::string name;  // file and texture base name
    float halfSize = 30.0f;
    float z = 0.0f;
    Rgb albedo{200, 100, 50};
    Rgb specular{0, 0, 0};     // red intensity, green glossiness
    bool cutLeftHalf = false;  // the alpha map's left half is black
};

// Writes a 4x4 24-bit BMP whose pixel colour is given per column.
void WriteBmp(const std::string& path, const std::vector<Rgb>& columns);

class PictureScene {
public:
    // Makes a fresh working folder with shaders\DS_prep.fx and textures\none.bmp,
    // changes into it and creates a width x height X8R8G8B8 device with a
    // D24S8 depth buffer.
    PictureScene(UINT width, UINT height);
    ~PictureScene();
    PictureScene(const PictureScene&) = delete;
    PictureScene& operator=(const PictureScene&) = delete;

    IDirect3DDevice9* Device() const { return device_; }
    const std::string& Problem() const { return problem_; }

    // Writes the quad's .x file and its four maps, loads it as the next mesh.
    HRESULT AddQuad(const QuadDescription& quad);
    // Appends a light with view-space values set directly.
    void AddSun(D3DXVECTOR4 viewDirection, D3DXVECTOR4 colour = {1, 1, 1, 1});
    void AddLight(int kind, D3DXVECTOR4 viewPosition, D3DXVECTOR4 viewDirection, D3DXVECTOR4 colour,
                  float radius);

    // Replaces every occurrence of `from` in the working folder's effect file;
    // false when there is none. The next Acquire reads the edited file.
    bool EditEffect(const std::string& from, const std::string& to);

    // Publishes the meshes and lights as the scene lists and brings every
    // mesh's matrices up to date with the camera and aspect ratio.
    void Publish();
    // AcquireRenderResources with the back buffer's description.
    HRESULT Acquire();
    // ReleaseRenderResources, Reset to the new size, Acquire.
    HRESULT ResetTo(UINT width, UINT height);

    // Draws one frame in the mode and reads the back buffer back.
    HRESULT DrawFrameIn(RenderMode mode);
    std::vector<std::uint32_t> ReadBackBuffer(UINT* width = nullptr, UINT* height = nullptr);

private:
    std::string folder_;
    std::string previousFolder_;
    std::string problem_;
    IDirect3D9* direct3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    D3DPRESENT_PARAMETERS parameters_{};
    static constexpr int kMaxMeshes = 4;
    SceneMesh meshes_[kMaxMeshes];
    int meshesLoaded_ = 0;
    std::vector<SceneLight> lights_;
};

// The pixel's colour channels.
Rgb ColourOf(std::uint32_t pixel);
// Channels of the pixel at (x, y) of a read-back picture of the given width.
Rgb PixelAt(const std::vector<std::uint32_t>& picture, UINT width, int x, int y);

}  // namespace kl::test
