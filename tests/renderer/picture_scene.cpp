#include "picture_scene.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "headless_device.h"
#include "renderer/draw_frame.h"
#include "renderer/render_resources.h"

namespace kl::test {

namespace {

constexpr int kBmpSide = 4;

void PutU16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void PutU32(std::string& out, unsigned v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

std::string QuadXFile(const QuadDescription& quad) {
    const float s = quad.halfSize;
    std::ostringstream x;
    x << "xof 0303txt 0032\n"
      << "Mesh " << quad.name << " {\n 4;\n"
      << " " << -s << ";" << s << ";" << quad.z << ";,\n"
      << " " << s << ";" << s << ";" << quad.z << ";,\n"
      << " " << s << ";" << -s << ";" << quad.z << ";,\n"
      << " " << -s << ";" << -s << ";" << quad.z << ";;\n"
      << " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n"
      << " MeshNormals {\n  1;\n  0.0;0.0;-1.0;;\n  2;\n  3;0,0,0;,\n  3;0,0,0;;\n }\n"
      << " MeshTextureCoords {\n  4;\n  0.0;0.0;,\n  1.0;0.0;,\n  1.0;1.0;,\n  0.0;1.0;;\n }\n"
      << " MeshMaterialList {\n  1;\n  2;\n  0,\n  0;;\n"
      << "  Material {\n   1.0;1.0;1.0;1.0;;\n   0.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n"
      << "   TextureFilename {\n    \"" << quad.name << ".bmp\";\n   }\n"
      << "  }\n }\n}\n";
    return x.str();
}

std::string SourceDir() {
    return KESTRALUNE_SOURCE_DIR;
}

}  // namespace

void WriteBmp(const std::string& path, const std::vector<Rgb>& columns) {
    const unsigned rowBytes = kBmpSide * 3;  // already a multiple of 4
    const unsigned pixelBytes = rowBytes * kBmpSide;
    std::string out = "BM";
    PutU32(out, 54 + pixelBytes);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, kBmpSide);
    PutU32(out, kBmpSide);
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, pixelBytes);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = 0; y < kBmpSide; ++y) {
        for (int x = 0; x < kBmpSide; ++x) {
            const Rgb& c = columns[static_cast<size_t>(x) * columns.size() / kBmpSide];
            out += static_cast<char>(c.b);
            out += static_cast<char>(c.g);
            out += static_cast<char>(c.r);
        }
    }
    std::ofstream(path, std::ios::binary) << out;
}

PictureScene::PictureScene(UINT width, UINT height) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr) previousFolder_ = cwd;
    char pattern[] = "/tmp/kl_renderer_XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        problem_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/shaders");
    std::filesystem::create_directories(folder_ + "/textures");
    std::filesystem::copy_file(SourceDir() + "/shaders/DS_prep.fx",
                               folder_ + "/shaders/DS_prep.fx");
    if (chdir(folder_.c_str()) != 0) {
        problem_ = "cannot enter " + folder_;
        return;
    }
    WriteBmp("textures/none.bmp", {{255, 255, 255}});

    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3d_ == nullptr) {
        problem_ = "Direct3DCreate9 failed";
        return;
    }
    parameters_ = kl::test::HeadlessParameters(width, height);
    const HRESULT hr =
        direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters_, &device_);
    if (FAILED(hr)) problem_ = "CreateDevice failed";
    cameraMatrix = D3DXMATRIX();
    D3DXMatrixTranslation(&cameraMatrix, 0.0f, 0.0f, -100.0f);
    origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    aspectRatio = static_cast<float>(width) / static_cast<float>(height);
    renderMode = RenderMode::Deferred;
}

PictureScene::~PictureScene() {
    ReleaseRenderResources(nullptr);
    for (SceneMesh& mesh : meshes_) mesh.Release();
    meshList = nullptr;
    meshCount = 0;
    lightList = nullptr;
    lightCount = 0;
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (!previousFolder_.empty() && chdir(previousFolder_.c_str()) != 0) {
        std::fprintf(stderr, "cannot return to %s\n", previousFolder_.c_str());
    }
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

HRESULT PictureScene::AddQuad(const QuadDescription& quad) {
    if (meshesLoaded_ == kMaxMeshes) return E_FAIL;
    const std::string base = "textures/" + quad.name;
    WriteBmp(base + ".bmp", {quad.albedo});
    if (quad.cutLeftHalf) {
        WriteBmp(base + "_a.bmp", {{0, 0, 0}, {255, 255, 255}});
    } else {
        WriteBmp(base + "_a.bmp", {{255, 255, 255}});
    }
    WriteBmp(base + "_b.bmp", {{128, 128, 128}});
    WriteBmp(base + "_s.bmp", {quad.specular});
    const std::string xPath = quad.name + ".x";
    std::ofstream(xPath) << QuadXFile(quad);
    const std::wstring widePath(xPath.begin(), xPath.end());
    const HRESULT hr = meshes_[meshesLoaded_].Load(device_, widePath.c_str());
    if (SUCCEEDED(hr)) ++meshesLoaded_;
    return hr;
}

void PictureScene::AddSun(D3DXVECTOR4 viewDirection, D3DXVECTOR4 colour) {
    AddLight(1, D3DXVECTOR4(0, 0, 0, 1), viewDirection, colour, 0.0f);
}

void PictureScene::AddLight(int kind, D3DXVECTOR4 viewPosition, D3DXVECTOR4 viewDirection,
                            D3DXVECTOR4 colour, float radius) {
    SceneLight light;
    light.kind = kind;
    light.colour = colour;
    light.viewPosition = viewPosition;
    light.viewDirection = viewDirection;
    light.radius = radius;
    light.loaded = true;
    lights_.push_back(light);
}

bool PictureScene::EditEffect(const std::string& from, const std::string& to) {
    const std::string path = folder_ + "/shaders/DS_prep.fx";
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    size_t found = text.find(from);
    if (from.empty() || found == std::string::npos) return false;
    for (; found != std::string::npos; found = text.find(from, found + to.size()))
        text.replace(found, from.size(), to);
    std::ofstream(path, std::ios::binary) << text;
    return true;
}

void PictureScene::Publish() {
    meshList = meshesLoaded_ > 0 ? meshes_ : nullptr;
    meshCount = meshesLoaded_;
    lightList = lights_.empty() ? nullptr : lights_.data();
    lightCount = static_cast<int>(lights_.size());
    for (int i = 0; i < meshCount; ++i) {
        meshList[i].UpdateTransforms(device_, origin, cameraMatrix, aspectRatio);
    }
}

HRESULT PictureScene::Acquire() {
    IDirect3DSurface9* backBuffer = nullptr;
    HRESULT hr = device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
    if (FAILED(hr)) return hr;
    D3DSURFACE_DESC desc{};
    backBuffer->GetDesc(&desc);
    backBuffer->Release();
    return AcquireRenderResources(device_, &desc, nullptr);
}

HRESULT PictureScene::ResetTo(UINT width, UINT height) {
    ReleaseRenderResources(nullptr);
    parameters_.BackBufferWidth = width;
    parameters_.BackBufferHeight = height;
    const HRESULT hr = device_->Reset(&parameters_);
    if (FAILED(hr)) return hr;
    return Acquire();
}

HRESULT PictureScene::DrawFrameIn(RenderMode mode) {
    renderMode = mode;
    return DrawFrame(device_, 0.0, 0.0f, nullptr);
}

std::vector<std::uint32_t> PictureScene::ReadBackBuffer(UINT* width, UINT* height) {
    std::vector<std::uint32_t> pixels;
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return pixels;
    D3DSURFACE_DESC desc{};
    backBuffer->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    if (SUCCEEDED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                       D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device_->GetRenderTargetData(backBuffer, copy))) {
        D3DLOCKED_RECT locked{};
        if (SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch);
                std::copy(row, row + desc.Width, pixels.begin() + y * desc.Width);
            }
            copy->UnlockRect();
        }
    }
    if (copy != nullptr) copy->Release();
    backBuffer->Release();
    if (width != nullptr) *width = desc.Width;
    if (height != nullptr) *height = desc.Height;
    return pixels;
}

Rgb ColourOf(std::uint32_t pixel) {
    return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
            static_cast<int>(pixel & 0xFF)};
}

Rgb PixelAt(const std::vector<std::uint32_t>& picture, UINT width, int x, int y) {
    return ColourOf(picture[static_cast<size_t>(y) * width + x]);
}

}  // namespace kl::test
