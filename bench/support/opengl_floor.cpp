#include "opengl_floor.h"

#include <GL/glcorearb.h>
#include <d3d9.h>
#include <d3dx9.h>

#include <array>
#include <fstream>
#include <map>
#include <sstream>

#include "app/scene.h"
#include "d3d9/device_bridge.h"
#include "d3dx9/effect/effect_compiler.h"
#include "d3dx9/effect/hlsl_diagnostics.h"
#include "gl/context.h"
#include "gl/program.h"
#include "renderer/deferred_lighting.h"
#include "renderer/effect_contract.h"
#include "renderer/render_resources.h"

namespace kl::bench {

namespace {

// A material's texture slots, which are also the four geometry-buffer targets.
constexpr int kSlots = static_cast<int>(kSlotsPerMaterial);

// The effect parameters the frames set, in one table so each program looks
// its uniforms up once.
enum Uniform {
    kWorldViewProjection,
    kWorld,
    kView,
    kProjection,
    kWorldView,
    kInverseTransposeWorld,
    kInverseView,
    kInverseProjection,
    kInverseViewProjection,
    kColour,
    kPosition,
    kDirection,
    kRadius,
    kUniformCount
};
constexpr const char* kUniformNames[kUniformCount] = {
    kMatWVP,  kMatW,     kMatV,        kMatP,          kMatWV,          kMatInvTrW,  kMatInvV,
    kMatInvP, kMatInvVP, kLightColour, kLightPosition, kLightDirection, kLightRadius};

// The texture parameters, in the order of a material's slots (TextureSlot)
// and of the geometry-buffer targets the lighting passes read.
constexpr const char* kTextureParameters[kSlots] = {kTexAlfa, kTexBump, kTexDiffuse, kTexSpecular};

// The geometry-buffer pass in the renderer's order: each channel's technique
// and the target (a kTextureParameters slot) its picture is copied into.
struct GeometryChannel {
    const char* technique;
    int target;
};
constexpr GeometryChannel kGeometryChannels[kSlots] = {
    {kRenderDiffuseToTexture, kDiffuseSlot},
    {kRenderNormalToTexture, kBumpSlot},
    {kRenderSpecularToTexture, kSpecularSlot},
    {kRenderPositionToTexture, kAlphaSlot},
};

// D3DCMPFUNC values the fragment prologue's alpha test takes.
constexpr GLint kAlphaAlways = D3DCMP_ALWAYS;
constexpr GLint kAlphaGreaterEqual = D3DCMP_GREATEREQUAL;
// The device's half-pixel shift (half a pixel less 1/64), which the vertex
// prologue applies from a uniform.
constexpr float kHalfPixelShift = 0.5f - 1.0f / 64.0f;

struct SamplerUse {
    GLuint stage;
    int slot;  // index into kTextureParameters
};

struct Program {
    GLuint name = 0;
    std::array<GLint, kUniformCount> uniforms{};
    std::vector<SamplerUse> samplers;
    std::vector<d3dx9::hlsl::GeneratedInput> inputs;
    GLint alphaFunc = -1;
    GLint alphaRef = -1;
};

struct IndexRange {
    GLuint first;
    GLuint last;
    GLsizei count;
    uintptr_t offset;
};

// A mesh as read out of its ID3DXMesh, before the floor's context exists.
struct MeshData {
    std::vector<uint8_t> vertices;
    std::vector<uint8_t> indices;
    bool indices32 = false;
    GLsizei stride = 0;
    std::vector<D3DVERTEXELEMENT9> elements;
    std::vector<std::vector<IndexRange>> materialRanges;
    std::vector<std::array<IDirect3DTexture9*, kSlots>> materialTextures;
};

struct TextureLevel {
    GLsizei width, height;
    std::vector<uint8_t> bgra;
};

struct TextureData {
    bool opaque = false;  // X8R8G8B8: alpha reads 1
    std::vector<TextureLevel> levels;
};

struct Mesh {
    GLuint vertexArray = 0, vertices = 0, indices = 0;
    GLenum indexType = GL_UNSIGNED_SHORT;
    const SceneMesh* source = nullptr;
    std::vector<std::vector<IndexRange>> materialRanges;
    std::vector<std::array<GLuint, kSlots>> materialTextures;
};

bool Fail(std::string* error, const std::string& reason) {
    *error = reason;
    return false;
}

// Every draw DrawSubset issues for each material: from the attribute table
// when the mesh has one, else one range per run of faces with the same id.
bool ReadSubsetRanges(ID3DXMesh* mesh, DWORD materials, MeshData* out, std::string* error) {
    const uintptr_t indexSize = out->indices32 ? 4 : 2;
    out->materialRanges.assign(materials, {});
    DWORD tableSize = 0;
    mesh->GetAttributeTable(nullptr, &tableSize);
    if (tableSize > 0) {
        std::vector<D3DXATTRIBUTERANGE> table(tableSize);
        mesh->GetAttributeTable(table.data(), &tableSize);
        for (const D3DXATTRIBUTERANGE& r : table) {
            if (r.AttribId >= materials || r.FaceCount == 0) continue;
            out->materialRanges[r.AttribId].push_back(
                {r.VertexStart, r.VertexStart + r.VertexCount - 1,
                 static_cast<GLsizei>(r.FaceCount * 3), r.FaceStart * 3 * indexSize});
        }
        return true;
    }
    DWORD* attributes = nullptr;
    if (FAILED(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes)))
        return Fail(error, "a mesh's attribute buffer cannot be read");
    const DWORD faces = mesh->GetNumFaces();
    const GLuint lastVertex = mesh->GetNumVertices() - 1;
    for (DWORD start = 0; start < faces;) {
        DWORD end = start + 1;
        while (end < faces && attributes[end] == attributes[start]) ++end;
        if (attributes[start] < materials) {
            out->materialRanges[attributes[start]].push_back(
                {0, lastVertex, static_cast<GLsizei>((end - start) * 3), start * 3 * indexSize});
        }
        start = end;
    }
    mesh->UnlockAttributeBuffer();
    return true;
}

bool ReadMesh(const SceneMesh& scene, MeshData* out, std::string* error) {
    ID3DXMesh* mesh = scene.mesh;
    out->indices32 = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    out->stride = static_cast<GLsizei>(mesh->GetNumBytesPerVertex());
    D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE];
    if (FAILED(mesh->GetDeclaration(declaration)))
        return Fail(error, "a mesh's declaration cannot be read");
    for (const D3DVERTEXELEMENT9* e = declaration; e->Stream != 0xFF; ++e)
        out->elements.push_back(*e);

    void* data = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data)))
        return Fail(error, "a mesh's vertices cannot be read");
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->vertices.assign(bytes, bytes + mesh->GetNumVertices() * out->stride);
    mesh->UnlockVertexBuffer();
    if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data)))
        return Fail(error, "a mesh's indices cannot be read");
    bytes = static_cast<const uint8_t*>(data);
    out->indices.assign(bytes, bytes + mesh->GetNumFaces() * 3 * (out->indices32 ? 4 : 2));
    mesh->UnlockIndexBuffer();

    for (DWORD m = 0; m < scene.materialCount; ++m) {
        std::array<IDirect3DTexture9*, kSlots> textures{};
        for (int slot = 0; slot < kSlots; ++slot)
            textures[slot] = scene.Texture(m, static_cast<TextureSlot>(slot));
        out->materialTextures.push_back(textures);
    }
    return ReadSubsetRanges(mesh, scene.materialCount, out, error);
}

bool ReadTexture(IDirect3DTexture9* texture, TextureData* out, std::string* error) {
    for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)
            return Fail(error, "a scene texture has a format the floor does not read");
        out->opaque = desc.Format == D3DFMT_X8R8G8B8;
        D3DLOCKED_RECT locked{};
        if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY)))
            return Fail(error, "a scene texture cannot be read");
        TextureLevel copy{static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height), {}};
        const auto* rows = static_cast<const uint8_t*>(locked.pBits);
        for (UINT y = 0; y < desc.Height; ++y)
            copy.bgra.insert(copy.bgra.end(), rows + y * locked.Pitch,
                             rows + y * locked.Pitch + desc.Width * 4);
        texture->UnlockRect(level);
        out->levels.push_back(std::move(copy));
    }
    return true;
}

GLuint UploadTexture(const TextureData& data) {
    GLuint name = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &name);
    const GLsizei levels = static_cast<GLsizei>(data.levels.size());
    glTextureStorage2D(name, levels, GL_RGBA8, data.levels[0].width, data.levels[0].height);
    for (GLsizei level = 0; level < levels; ++level) {
        const TextureLevel& l = data.levels[level];
        glTextureSubImage2D(name, level, 0, 0, l.width, l.height, GL_BGRA, GL_UNSIGNED_BYTE,
                            l.bgra.data());
    }
    if (data.opaque) glTextureParameteri(name, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    return name;
}

GLint AttributeSize(BYTE type) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            return 1;
        case D3DDECLTYPE_FLOAT2:
            return 2;
        case D3DDECLTYPE_FLOAT3:
            return 3;
        case D3DDECLTYPE_FLOAT4:
            return 4;
        default:
            return 0;
    }
}

// Feeds each program input from the element of the same usage and index;
// inputs without one read GL's default (0, 0, 0, 1), as on the device.
bool SetVertexLayout(GLuint vertexArray, const std::vector<D3DVERTEXELEMENT9>& elements,
                     const std::vector<d3dx9::hlsl::GeneratedInput>& inputs, std::string* error) {
    for (const d3dx9::hlsl::GeneratedInput& input : inputs) {
        for (const D3DVERTEXELEMENT9& e : elements) {
            if (e.Usage != static_cast<BYTE>(input.usage) || e.UsageIndex != input.usageIndex)
                continue;
            const GLint size = AttributeSize(e.Type);
            if (size == 0) return Fail(error, "a vertex element type the floor does not read");
            const GLuint location = static_cast<GLuint>(input.location);
            glEnableVertexArrayAttrib(vertexArray, location);
            glVertexArrayAttribFormat(vertexArray, location, size, GL_FLOAT, GL_FALSE, e.Offset);
            glVertexArrayAttribBinding(vertexArray, location, 0);
        }
    }
    return true;
}

bool SameInputs(const std::vector<d3dx9::hlsl::GeneratedInput>& a,
                const std::vector<d3dx9::hlsl::GeneratedInput>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].usage != b[i].usage || a[i].usageIndex != b[i].usageIndex ||
            a[i].location != b[i].location)
            return false;
    }
    return true;
}

void SetMatrix(const Program& p, Uniform u, const D3DXMATRIX& m) {
    // Untransposed, as the effect uploads them: HLSL row i is GLSL column i.
    if (p.uniforms[u] >= 0) glProgramUniformMatrix4fv(p.name, p.uniforms[u], 1, GL_FALSE, m);
}

void SetVector(const Program& p, Uniform u, const D3DXVECTOR4& v) {
    if (p.uniforms[u] >= 0) glProgramUniform4f(p.name, p.uniforms[u], v.x, v.y, v.z, v.w);
}

class Floor final : public OpenGlFloor {
public:
    Floor(int width, int height) : width_(width), height_(height) {}

    ~Floor() override {
        if (!context_ || !context_->MakeCurrent()) return;
        for (Mesh& mesh : meshes_) {
            glDeleteVertexArrays(1, &mesh.vertexArray);
            glDeleteBuffers(1, &mesh.vertices);
            glDeleteBuffers(1, &mesh.indices);
        }
        for (const auto& entry : textures_) glDeleteTextures(1, &entry.second);
        for (Program* p : AllPrograms()) glDeleteProgram(p->name);
        glDeleteVertexArrays(1, &quadArray_);
        glDeleteBuffers(1, &quadBuffer_);
        glDeleteFramebuffers(1, &backFramebuffer_);
        glDeleteFramebuffers(kSlots, targetFramebuffers_.data());
        glDeleteTextures(kSlots, targets_.data());
        glDeleteTextures(1, &backColour_);
        glDeleteRenderbuffers(1, &backDepth_);
        glDeleteSamplers(1, &materialSampler_);
        glDeleteSamplers(1, &targetSampler_);
    }

    bool Build(IDirect3DDevice9* device, const std::string& effectPath, std::string* error) {
        // Everything is read through Direct3D first, in the device's context.
        d3d9::MakeDeviceContextCurrent(device);
        std::vector<MeshData> meshData(meshCount);
        std::map<IDirect3DTexture9*, TextureData> textureData;
        for (int i = 0; i < meshCount; ++i) {
            if (!meshList[i].loaded) return Fail(error, "the scene has a mesh that did not load");
            if (!ReadMesh(meshList[i], &meshData[i], error)) return false;
            for (const auto& textures : meshData[i].materialTextures) {
                for (IDirect3DTexture9* texture : textures) {
                    if (texture == nullptr || textureData.count(texture)) continue;
                    if (!ReadTexture(texture, &textureData[texture], error)) return false;
                }
            }
        }

        context_ = gl::Context::CreateOffscreen(error);
        if (!context_ || !context_->MakeCurrent()) return Fail(error, "no GL context: " + *error);
        if (!BuildPrograms(effectPath, error)) return false;
        for (const auto& entry : textureData) textures_[entry.first] = UploadTexture(entry.second);
        for (int i = 0; i < meshCount; ++i) {
            if (!BuildMesh(meshList[i], meshData[i], error)) return false;
        }
        BuildQuad();
        BuildTargets();
        BuildSamplers();
        // Direct3D's conventions, as the device sets them: y down and depth
        // 0..1 in clip space, clockwise front faces, counter-clockwise culled.
        glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
        glFrontFace(GL_CW);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glViewport(0, 0, width_, height_);
        glBlendFunc(GL_ONE, GL_ONE);
        if (glGetError() != GL_NO_ERROR) return Fail(error, "GL refused the floor's setup");
        return true;
    }

    void DrawDeferredFrame() override {
        context_->MakeCurrent();
        draws_ = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
        glDisable(GL_BLEND);
        for (int channel = 0; channel < kSlots; ++channel) {
            glDepthMask(GL_TRUE);
            glClearColor(0, 0, 0, 0);
            glClearDepth(1.0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            DrawMeshes(geometryPrograms_[channel]);
            glBlitNamedFramebuffer(
                backFramebuffer_, targetFramebuffers_[kGeometryChannels[channel].target], 0, 0,
                width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        }

        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        const LightingMatrices matrices = ComputeLightingMatrices(aspectRatio);
        glBindVertexArray(quadArray_);
        for (int i = 0; i < lightCount; ++i) {
            const SceneLight& light = lightList[i];
            const Program* program = LightProgram(deferredSun_, deferredPoint_, light.kind);
            if (program == nullptr) continue;
            const bool first = i == 0;
            if (first) {
                glDisable(GL_BLEND);
                glEnable(GL_DEPTH_TEST);
                glDepthFunc(GL_GREATER);
                glDepthMask(GL_FALSE);
            } else {
                glEnable(GL_BLEND);
                glDisable(GL_DEPTH_TEST);
            }
            glUseProgram(program->name);
            SetAlphaTest(*program, first ? kAlphaAlways : kAlphaGreaterEqual);
            SetLightingMatrices(*program, matrices);
            SetLight(*program, light);
            for (const SamplerUse& s : program->samplers) {
                glBindTextureUnit(s.stage, targets_[s.slot]);
                glBindSampler(s.stage, targetSampler_);
            }
            glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
            ++draws_;
        }
    }

    void DrawClassicFrame() override {
        context_->MakeCurrent();
        draws_ = 0;
        glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        for (int i = 0; i < lightCount; ++i) {
            const Program* program = LightProgram(classicSun_, classicPoint_, lightList[i].kind);
            if (program == nullptr) continue;
            SetLight(*program, lightList[i]);
            DrawMeshes(*program);
        }
    }

    int DrawsInLastFrame() const override { return draws_; }

    void Finish() override {
        context_->MakeCurrent();
        glFinish();
    }

    std::vector<uint8_t> ReadPixels() override {
        context_->MakeCurrent();
        std::vector<uint8_t> pixels(static_cast<size_t>(width_) * height_ * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

private:
    std::vector<Program*> AllPrograms() {
        std::vector<Program*> all = {&deferredSun_, &deferredPoint_, &classicSun_, &classicPoint_};
        for (Program& p : geometryPrograms_) all.push_back(&p);
        return all;
    }

    bool BuildPrograms(const std::string& effectPath, std::string* error) {
        std::ifstream file(effectPath, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (!file) return Fail(error, "cannot read " + effectPath);
        d3dx9::hlsl::CompileOptions options;
        options.prologues.vertex = d3d9::kVertexPrologueGlsl;
        options.prologues.fragment = d3d9::kFragmentPrologueGlsl;
        d3dx9::hlsl::CompiledEffect compiled;
        try {
            compiled = d3dx9::hlsl::CompileEffect(effectPath, text.str(), options);
        } catch (const d3dx9::hlsl::CompileError& failure) {
            return Fail(error, failure.what());
        }
        for (int i = 0; i < kSlots; ++i) {
            if (!LinkTechnique(compiled, kGeometryChannels[i].technique, &geometryPrograms_[i],
                               error))
                return false;
        }
        if (!LinkTechnique(compiled, kRenderDSSun, &deferredSun_, error) ||
            !LinkTechnique(compiled, kRenderDSPoint, &deferredPoint_, error) ||
            !LinkTechnique(compiled, kRenderClassicSun, &classicSun_, error) ||
            !LinkTechnique(compiled, kRenderClassicPoint, &classicPoint_, error))
            return false;
        for (const Program* p : {&geometryPrograms_[1], &geometryPrograms_[2],
                                 &geometryPrograms_[3], &classicSun_, &classicPoint_}) {
            if (!SameInputs(p->inputs, geometryPrograms_[0].inputs))
                return Fail(error, "the mesh techniques read different vertex inputs");
        }
        return true;
    }

    bool LinkTechnique(const d3dx9::hlsl::CompiledEffect& effect, const char* technique,
                       Program* out, std::string* error) {
        const d3dx9::hlsl::CompiledPass* pass = nullptr;
        for (const d3dx9::hlsl::CompiledTechnique& t : effect.techniques) {
            if (t.name == technique && !t.passes.empty()) pass = &t.passes[0];
        }
        if (pass == nullptr || !pass->hasShaders)
            return Fail(error, std::string("the effect has no shaders for ") + technique);
        std::string log;
        out->name = gl::LinkProgram(pass->program.vertexSource, pass->program.fragmentSource, &log);
        if (out->name == 0) return Fail(error, std::string(technique) + ": " + log);
        out->inputs = pass->program.inputs;
        out->uniforms.fill(-1);
        for (const d3dx9::hlsl::GeneratedUniform& u : pass->program.uniforms) {
            for (int i = 0; i < kUniformCount; ++i) {
                if (u.name == kUniformNames[i])
                    out->uniforms[i] = glGetUniformLocation(out->name, u.glslName.c_str());
            }
        }
        for (const d3dx9::hlsl::GeneratedSampler& s : pass->program.samplers) {
            int slot = -1;
            for (const d3dx9::hlsl::EffectParameter& p : effect.parameters) {
                if (p.name != s.name) continue;
                for (int i = 0; i < kSlots; ++i) {
                    if (p.samplerTexture == kTextureParameters[i]) slot = i;
                }
            }
            if (slot < 0) return Fail(error, "sampler " + s.name + " reads no known texture");
            glProgramUniform1i(out->name, glGetUniformLocation(out->name, s.glslName.c_str()),
                               s.stage);
            out->samplers.push_back({static_cast<GLuint>(s.stage), slot});
        }
        const GLint halfPixel = glGetUniformLocation(out->name, "kl_d3d_half_pixel");
        glProgramUniform2f(out->name, halfPixel, 2.0f * kHalfPixelShift / width_,
                           -2.0f * kHalfPixelShift / height_);
        out->alphaFunc = glGetUniformLocation(out->name, "kl_d3d_alpha_func");
        out->alphaRef = glGetUniformLocation(out->name, "kl_d3d_alpha_ref");
        glProgramUniform1f(out->name, out->alphaRef, 1.0f);
        return true;
    }

    bool BuildMesh(const SceneMesh& scene, const MeshData& data, std::string* error) {
        Mesh mesh;
        mesh.source = &scene;
        mesh.indexType = data.indices32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        mesh.materialRanges = data.materialRanges;
        for (const auto& textures : data.materialTextures) {
            std::array<GLuint, kSlots> names{};
            for (int slot = 0; slot < kSlots; ++slot)
                names[slot] = textures[slot] ? textures_[textures[slot]] : 0;
            mesh.materialTextures.push_back(names);
        }
        glCreateBuffers(1, &mesh.vertices);
        glNamedBufferStorage(mesh.vertices, static_cast<GLsizeiptr>(data.vertices.size()),
                             data.vertices.data(), 0);
        glCreateBuffers(1, &mesh.indices);
        glNamedBufferStorage(mesh.indices, static_cast<GLsizeiptr>(data.indices.size()),
                             data.indices.data(), 0);
        glCreateVertexArrays(1, &mesh.vertexArray);
        glVertexArrayVertexBuffer(mesh.vertexArray, 0, mesh.vertices, 0, data.stride);
        glVertexArrayElementBuffer(mesh.vertexArray, mesh.indices);
        meshes_.push_back(mesh);
        return SetVertexLayout(mesh.vertexArray, data.elements, geometryPrograms_[0].inputs, error);
    }

    void BuildQuad() {
        glCreateBuffers(1, &quadBuffer_);
        glNamedBufferStorage(quadBuffer_, sizeof screenQuad, screenQuad, 0);
        glCreateVertexArrays(1, &quadArray_);
        glVertexArrayVertexBuffer(quadArray_, 0, quadBuffer_, 0, sizeof(QuadVertex));
        const std::vector<D3DVERTEXELEMENT9> elements = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0}};
        std::string ignored;
        SetVertexLayout(quadArray_, elements, deferredSun_.inputs, &ignored);
    }

    void BuildTargets() {
        glCreateTextures(GL_TEXTURE_2D, 1, &backColour_);
        glTextureStorage2D(backColour_, 1, GL_RGBA8, width_, height_);
        glCreateRenderbuffers(1, &backDepth_);
        glNamedRenderbufferStorage(backDepth_, GL_DEPTH24_STENCIL8, width_, height_);
        glCreateFramebuffers(1, &backFramebuffer_);
        glNamedFramebufferTexture(backFramebuffer_, GL_COLOR_ATTACHMENT0, backColour_, 0);
        glNamedFramebufferRenderbuffer(backFramebuffer_, GL_DEPTH_STENCIL_ATTACHMENT,
                                       GL_RENDERBUFFER, backDepth_);
        glCreateTextures(GL_TEXTURE_2D, kSlots, targets_.data());
        glCreateFramebuffers(kSlots, targetFramebuffers_.data());
        for (int i = 0; i < kSlots; ++i) {
            glTextureStorage2D(targets_[i], 1, GL_RGBA8, width_, height_);
            glNamedFramebufferTexture(targetFramebuffers_[i], GL_COLOR_ATTACHMENT0, targets_[i], 0);
        }
    }

    void BuildSamplers() {
        glCreateSamplers(1, &materialSampler_);
        glSamplerParameteri(materialSampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(materialSampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(materialSampler_, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glSamplerParameteri(materialSampler_, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glCreateSamplers(1, &targetSampler_);
        glSamplerParameteri(targetSampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(targetSampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(targetSampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(targetSampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }

    static const Program* LightProgram(const Program& sun, const Program& point, int kind) {
        switch (static_cast<LightKind>(kind)) {
            case LightKind::Sun:
                return &sun;
            case LightKind::Point:
            case LightKind::PulsingPoint:
                return &point;
        }
        return nullptr;
    }

    static void SetAlphaTest(const Program& p, GLint func) {
        glProgramUniform1i(p.name, p.alphaFunc, func);
    }

    static void SetLightingMatrices(const Program& p, const LightingMatrices& m) {
        SetMatrix(p, kWorldView, m.worldView);
        SetMatrix(p, kWorld, m.world);
        SetMatrix(p, kView, m.view);
        SetMatrix(p, kProjection, m.projection);
        SetMatrix(p, kWorldViewProjection, m.worldViewProjection);
        SetMatrix(p, kInverseTransposeWorld, m.inverseTransposeWorld);
        SetMatrix(p, kInverseView, m.inverseView);
        SetMatrix(p, kInverseProjection, m.inverseProjection);
        SetMatrix(p, kInverseViewProjection, m.inverseViewProjection);
    }

    static void SetLight(const Program& p, const SceneLight& light) {
        SetVector(p, kColour, light.colour);
        SetVector(p, kDirection, light.viewDirection);
        SetVector(p, kPosition, light.viewPosition);
        if (p.uniforms[kRadius] >= 0) glProgramUniform1f(p.name, p.uniforms[kRadius], light.radius);
    }

    // Every mesh, every material's ranges, with the mesh draw's states:
    // depth test and writes on (less or equal), alpha test >= 1.
    void DrawMeshes(const Program& program) {
        glUseProgram(program.name);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
        SetAlphaTest(program, kAlphaGreaterEqual);
        for (const Mesh& mesh : meshes_) {
            SetMatrix(program, kWorldViewProjection, mesh.source->worldViewProjection);
            SetMatrix(program, kWorld, mesh.source->world);
            SetMatrix(program, kView, mesh.source->view);
            SetMatrix(program, kProjection, mesh.source->projection);
            glBindVertexArray(mesh.vertexArray);
            for (size_t m = 0; m < mesh.materialRanges.size(); ++m) {
                for (const SamplerUse& s : program.samplers) {
                    glBindTextureUnit(s.stage, mesh.materialTextures[m][s.slot]);
                    glBindSampler(s.stage, materialSampler_);
                }
                for (const IndexRange& r : mesh.materialRanges[m]) {
                    glDrawRangeElements(GL_TRIANGLES, r.first, r.last, r.count, mesh.indexType,
                                        reinterpret_cast<const void*>(r.offset));
                    ++draws_;
                }
            }
        }
    }

    const int width_, height_;
    std::unique_ptr<gl::Context> context_;
    std::array<Program, kSlots> geometryPrograms_;
    Program deferredSun_, deferredPoint_, classicSun_, classicPoint_;
    std::vector<Mesh> meshes_;
    std::map<IDirect3DTexture9*, GLuint> textures_;
    GLuint quadBuffer_ = 0, quadArray_ = 0;
    GLuint backColour_ = 0, backDepth_ = 0, backFramebuffer_ = 0;
    // Indexed like kTextureParameters: position, normal, diffuse, specular.
    std::array<GLuint, kSlots> targets_{}, targetFramebuffers_{};
    GLuint materialSampler_ = 0, targetSampler_ = 0;
    int draws_ = 0;
};

}  // namespace

std::unique_ptr<OpenGlFloor> OpenGlFloor::Create(IDirect3DDevice9* device, int width, int height,
                                                 const std::string& effectPath,
                                                 std::string* error) {
    auto floor = std::make_unique<Floor>(width, height);
    if (!floor->Build(device, effectPath, error)) return nullptr;
    return floor;
}

}  // namespace kl::bench
