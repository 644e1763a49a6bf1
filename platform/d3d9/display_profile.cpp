#include "d3d9/display_profile.h"

#include <GL/glcorearb.h>
#include <SDL.h>

#include <memory>
#include <optional>

#include "common/monitor_handles.h"
#include "common/native_window.h"
#include "common/platform_settings.h"
#include "gl/context.h"

namespace kl::d3d9 {
namespace {

std::unique_ptr<DisplayProfile> g_override;

std::vector<D3DFORMAT> ColourTextureFormats() {
    return {D3DFMT_A8R8G8B8,
            D3DFMT_X8R8G8B8,
            D3DFMT_A8B8G8R8,
            D3DFMT_X8B8G8R8,
            D3DFMT_R5G6B5,
            D3DFMT_X1R5G5B5,
            D3DFMT_A1R5G5B5,
            D3DFMT_A4R4G4B4,
            D3DFMT_A8,
            D3DFMT_L8,
            D3DFMT_A8L8,
            D3DFMT_L16,
            D3DFMT_G16R16,
            D3DFMT_A16B16G16R16,
            D3DFMT_A2R10G10B10,
            D3DFMT_A2B10G10R10,
            D3DFMT_R16F,
            D3DFMT_G16R16F,
            D3DFMT_A16B16G16R16F,
            D3DFMT_R32F,
            D3DFMT_G32R32F,
            D3DFMT_A32B32G32R32F,
            D3DFMT_DXT1,
            D3DFMT_DXT3,
            D3DFMT_DXT5};
}

std::vector<D3DFORMAT> RenderTargetFormats() {
    return {D3DFMT_A8R8G8B8,     D3DFMT_X8R8G8B8,    D3DFMT_A8B8G8R8,     D3DFMT_X8B8G8R8,
            D3DFMT_R5G6B5,       D3DFMT_A2R10G10B10, D3DFMT_A2B10G10R10,  D3DFMT_G16R16,
            D3DFMT_A16B16G16R16, D3DFMT_R16F,        D3DFMT_G16R16F,      D3DFMT_A16B16G16R16F,
            D3DFMT_R32F,         D3DFMT_G32R32F,     D3DFMT_A32B32G32R32F};
}

// The fixed-point formats blend after the pixel shader; 32-bit float targets
// do not on the shader model 3 hardware this device stands for.
std::vector<D3DFORMAT> BlendingFormats() {
    return {D3DFMT_A8R8G8B8,    D3DFMT_X8R8G8B8,     D3DFMT_A8B8G8R8,
            D3DFMT_X8B8G8R8,    D3DFMT_R5G6B5,       D3DFMT_A2R10G10B10,
            D3DFMT_A2B10G10R10, D3DFMT_A16B16G16R16, D3DFMT_A16B16G16R16F};
}

void AddModes(AdapterProfile& adapter, int width, int height, int refresh) {
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        const D3DDISPLAYMODE mode{static_cast<UINT>(width), static_cast<UINT>(height),
                                  static_cast<UINT>(refresh), format};
        bool known = false;
        for (const D3DDISPLAYMODE& m : adapter.modes)
            known |= m.Width == mode.Width && m.Height == mode.Height &&
                     m.RefreshRate == mode.RefreshRate && m.Format == format;
        if (!known) adapter.modes.push_back(mode);
    }
}

AdapterProfile BaseAdapter(int index, const GlLimits& limits) {
    AdapterProfile adapter;
    adapter.driver = "kestralune_gl.dll";
    adapter.deviceName = "\\\\.\\DISPLAY" + std::to_string(index + 1);
    adapter.monitor = platform::MonitorHandleOfDisplay(index);
    adapter.deviceTypes = {D3DDEVTYPE_HAL};
    // The reference rasterizer exists only where a software GL device sits
    // next to the hardware one, as it is installed only on some Windows machines.
    if (gl::SoftwareRendererBesideHardware()) adapter.deviceTypes.push_back(D3DDEVTYPE_REF);
    adapter.displayFormats = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    adapter.backBufferFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5};
    adapter.textureFormats = ColourTextureFormats();
    adapter.renderTargetFormats = RenderTargetFormats();
    adapter.blendingFormats = BlendingFormats();
    adapter.depthStencilFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16, D3DFMT_D32};
    adapter.caps = MakeCaps(D3DDEVTYPE_HAL, static_cast<UINT>(index), limits);
    return adapter;
}

std::optional<GlLimits> QueryGlLimits() {
    // Asking costs a context of our own; the caller's stays current.
    gl::CurrentContextGuard keep;
    std::string error;
    auto context = gl::Context::CreateOffscreen(&error);
    if (!context) return std::nullopt;
    GlLimits limits;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    glGetIntegerv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &limits.maxAnisotropy);
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &limits.maxDrawBuffers);
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &limits.maxVertexAttributes);
    return limits;
}

DisplayProfile ProfileFromDisplays(const GlLimits& limits) {
    DisplayProfile profile;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return profile;
    const int displays = SDL_GetNumVideoDisplays();
    for (int d = 0; d < displays; ++d) {
        AdapterProfile adapter = BaseAdapter(d, limits);
        const char* name = SDL_GetDisplayName(d);
        adapter.description = name ? name : "Display";
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(d, &desktop) != 0) continue;
        adapter.desktop = {static_cast<UINT>(desktop.w), static_cast<UINT>(desktop.h),
                           static_cast<UINT>(desktop.refresh_rate), D3DFMT_X8R8G8B8};
        for (int m = 0, count = SDL_GetNumDisplayModes(d); m < count; ++m) {
            SDL_DisplayMode mode{};
            if (SDL_GetDisplayMode(d, m, &mode) == 0)
                AddModes(adapter, mode.w, mode.h, mode.refresh_rate);
        }
        AddModes(adapter, desktop.w, desktop.h, desktop.refresh_rate);
        profile.adapters.push_back(std::move(adapter));
    }
    return profile;
}

DisplayProfile BuildProfile() {
    const GlLimits limits = QueryGlLimits().value_or(GlLimits{});
    if (!platform::IsHeadless()) {
        DisplayProfile profile = ProfileFromDisplays(limits);
        if (!profile.adapters.empty()) return profile;
    }
    DisplayProfile profile = VirtualDisplayProfile();
    for (AdapterProfile& adapter : profile.adapters)
        adapter.caps = MakeCaps(D3DDEVTYPE_HAL, 0, limits);
    return profile;
}

}  // namespace

DisplayProfile VirtualDisplayProfile() {
    DisplayProfile profile;
    AdapterProfile adapter = BaseAdapter(0, GlLimits{});
    adapter.description = "Kestralune virtual display (OpenGL 4.5, offscreen)";
    const platform::DesktopSize desktop = platform::VirtualDesktopSize();
    adapter.desktop = {static_cast<UINT>(desktop.width), static_cast<UINT>(desktop.height), 60,
                       D3DFMT_X8R8G8B8};
    const int sizes[][2] = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                            {1280, 1024}, {1600, 900}, {1920, 1080}};
    for (const auto& size : sizes) AddModes(adapter, size[0], size[1], 60);
    AddModes(adapter, desktop.width, desktop.height, 60);
    profile.adapters.push_back(std::move(adapter));
    return profile;
}

const DisplayProfile& ActiveDisplayProfile() {
    if (g_override) return *g_override;
    static const DisplayProfile built = BuildProfile();
    return built;
}

void SetDisplayProfileOverride(const DisplayProfile* profile) {
    g_override = profile ? std::make_unique<DisplayProfile>(*profile) : nullptr;
}

}  // namespace kl::d3d9
