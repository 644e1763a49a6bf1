// What the renderer asks of the effect file: its path, the eight techniques
// and the parameters, named as the file declares them. Every use of a name
// goes through these constants so that a mismatch is found in one place.
#pragma once

// Loaded from the working directory at every device reset.
constexpr wchar_t kEffectPath[] = L"shaders\\DS_prep.fx";

// Geometry-buffer techniques: draw meshes into one channel each (also what
// the channel view shows).
constexpr char kRenderDiffuseToTexture[] = "RenderDiffuseToTexture";
constexpr char kRenderNormalToTexture[] = "RenderNormalToTexture";
constexpr char kRenderSpecularToTexture[] = "RenderSpecularToTexture";
constexpr char kRenderPositionToTexture[] = "RenderPositionToTexture";

// Deferred lighting techniques: draw the screen quad reading the four targets.
constexpr char kRenderDSSun[] = "RenderDSSun";
constexpr char kRenderDSPoint[] = "RenderDSPoint";

// Classic lighting techniques: draw meshes lit by one light.
constexpr char kRenderClassicSun[] = "RenderClassicSun";
constexpr char kRenderClassicPoint[] = "RenderClassicPoint";

// Matrices (SetMatrix).
constexpr char kMatWVP[] = "matWVP";
constexpr char kMatW[] = "matW";
constexpr char kMatV[] = "matV";
constexpr char kMatP[] = "matP";
constexpr char kMatWV[] = "matWV";
constexpr char kMatInvTrW[] = "matInvTrW";
constexpr char kMatInvV[] = "matInvV";
constexpr char kMatInvP[] = "matInvP";
constexpr char kMatInvVP[] = "matInvVP";

// Textures (SetTexture): a mesh subset's maps, or in the lighting pass the
// geometry-buffer targets (position, normal, diffuse, specular in this order).
constexpr char kTexAlfa[] = "m_TexAlfa";
constexpr char kTexBump[] = "m_TexBump";
constexpr char kTexDiffuse[] = "m_TexDiffuse";
constexpr char kTexSpecular[] = "m_TexSpecular";

// Light (SetVector, SetFloat).
constexpr char kLightColour[] = "l_colAmbient";
constexpr char kLightPosition[] = "l_pos";
constexpr char kLightDirection[] = "l_dir";
constexpr char kLightRadius[] = "l_radius";
