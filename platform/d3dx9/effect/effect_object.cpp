#include "effect_object.h"

#include "effect_gl_program.h"
#include "effect_state_tables.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace kl::d3dx9 {
namespace {

bool IsTextureParameter(const hlsl::Type& t) {
    return t.base == hlsl::BaseType::Texture;
}

bool IsNumericParameter(const hlsl::Type& t) {
    return t.Element().IsNumeric();
}

}  // namespace

Effect::Effect(IDirect3DDevice9* device) : device_(device) {
    device_->AddRef();
}

Effect::~Effect() {
    kl::d3d9::MakeDeviceContextCurrent(device_);
    // The device must not keep drawing with a program that is about to go.
    if (programBound_) kl::d3d9::BindProgram(device_, nullptr);
    for (Technique& t : techniques_) {
        for (Pass& p : t.passes) {
            kl::d3d9::KeepProgram(device_, p.vertexSource, "", p.vertex.glProgram);
            kl::d3d9::KeepProgram(device_, "", p.fragmentSource, p.pixel.glProgram);
        }
    }
    for (Parameter& p : parameters_)
        if (p.texture) p.texture->Release();
    for (auto& saved : savedTextures_)
        if (saved.second) saved.second->Release();
    device_->Release();
}

Effect* Effect::Create(IDirect3DDevice9* device, hlsl::CompiledEffect compiled,
                       std::string& error) {
    Effect* effect = new Effect(device);
    for (hlsl::EffectParameter& desc : compiled.parameters) {
        Parameter p;
        p.values = desc.initialValue;
        p.desc = std::move(desc);
        effect->parameters_.push_back(std::move(p));
    }
    kl::d3d9::MakeDeviceContextCurrent(device);
    for (const hlsl::CompiledTechnique& source : compiled.techniques) {
        Technique t;
        t.name = source.name;
        for (const hlsl::CompiledPass& sourcePass : source.passes) {
            Pass pass;
            pass.name = sourcePass.name;
            const bool ok = effect->BuildPass(source.name, sourcePass, pass, error);
            t.passes.push_back(std::move(pass));
            if (!ok) {
                effect->techniques_.push_back(std::move(t));
                effect->Release();
                return nullptr;
            }
        }
        effect->techniques_.push_back(std::move(t));
    }
    // As in D3DX, the first technique is current until SetTechnique.
    if (!effect->techniques_.empty()) effect->current_ = &effect->techniques_.front();
    return effect;
}

bool Effect::BuildPass(const std::string& technique, const hlsl::CompiledPass& source, Pass& pass,
                       std::string& error) {
    std::vector<const hlsl::StateAssignment*> stageStates;
    for (const hlsl::StateAssignment& s : source.states) {
        if (IsStageState(s)) {
            stageStates.push_back(&s);
            continue;
        }
        D3DRENDERSTATETYPE state;
        DWORD value = 0;
        if (!ResolveRenderState(s, state, value, error)) {
            error = hlsl::FormatDiagnostic(s.where, error);
            return false;
        }
        pass.states.emplace_back(state, value);
    }
    if (!LinkStages(technique, source, pass, error)) return false;
    const hlsl::GeneratedPass& program = source.program;
    for (const hlsl::GeneratedUniform& u : program.uniforms) {
        for (unsigned stage : {pass.vertex.glProgram, pass.pixel.glProgram}) {
            const int location = stage ? UniformLocation(stage, u.glslName) : -1;
            if (location < 0) continue;  // not in this stage, or optimised away
            for (size_t i = 0; i < parameters_.size(); ++i)
                if (parameters_[i].desc.name == u.name)
                    pass.uniforms.push_back(UniformSlot{i, stage, location, 0});
        }
    }
    for (const bool vertex : {false, true}) {
        for (const hlsl::GeneratedSampler& s : vertex ? program.vertexSamplers : program.samplers) {
            const int stage = vertex ? D3DVERTEXTEXTURESAMPLER0 + s.stage : s.stage;
            const unsigned glProgram = vertex ? pass.vertex.glProgram : pass.pixel.glProgram;
            SamplerSlot slot{stage, -1, {}};
            const int location = UniformLocation(glProgram, s.glslName);
            if (location >= 0)
                UploadSamplerStage(glProgram, location,
                                   kl::d3d9::SamplerTextureUnit(static_cast<DWORD>(stage)));
            const long sampler = ParameterIndex(s.name);
            if (sampler >= 0 && !AddSamplerParameter(static_cast<size_t>(sampler), slot, error))
                return false;
            pass.samplers.push_back(std::move(slot));
        }
    }
    // After the shaders' samplers, so that the pass's own settings win.
    for (const hlsl::StateAssignment* s : stageStates)
        if (!AddStageState(*s, pass, error)) return false;
    return true;
}

long Effect::ParameterIndex(const std::string& name) const {
    for (size_t i = 0; i < parameters_.size(); ++i)
        if (parameters_[i].desc.name == name) return static_cast<long>(i);
    return -1;
}

// A sampler parameter's texture and sampler_state settings, for its stage.
bool Effect::AddSamplerParameter(size_t sampler, SamplerSlot& slot, std::string& error) {
    const hlsl::EffectParameter& d = parameters_[sampler].desc;
    if (!d.samplerTexture.empty()) slot.textureParameter = ParameterIndex(d.samplerTexture);
    for (const hlsl::StateAssignment& st : d.samplerStates) {
        if (strcasecmp(st.name.c_str(), "Texture") == 0) continue;
        D3DSAMPLERSTATETYPE type;
        DWORD value = 0;
        if (!ResolveSamplerState(st, type, value, error)) {
            error = hlsl::FormatDiagnostic(st.where, error);
            return false;
        }
        slot.states.emplace_back(type, value);
    }
    return true;
}

// Texture[n] = <t>, Sampler[n] = (s) and indexed sampler states
// (MinFilter[n] = Linear) set up texture stage n for the pass: for the
// fixed-function pixel stage, or for shader samplers bound to register sn.
bool Effect::IsStageState(const hlsl::StateAssignment& s) {
    return strcasecmp(s.name.c_str(), "Texture") == 0 ||
           strcasecmp(s.name.c_str(), "Sampler") == 0 || s.index >= 0;
}

bool Effect::AddStageState(const hlsl::StateAssignment& s, Pass& pass, std::string& error) {
    auto fail = [&](const std::string& message) {
        error = hlsl::FormatDiagnostic(s.where, message);
        return false;
    };
    const int stage = s.index < 0 ? 0 : s.index;
    if (stage >= 16) return fail("texture stage " + std::to_string(stage) + " out of range");
    SamplerSlot slot{stage, -1, {}};
    const bool texture = strcasecmp(s.name.c_str(), "Texture") == 0;
    if (texture || strcasecmp(s.name.c_str(), "Sampler") == 0) {
        const long named = s.terms.size() == 1 && s.terms[0].kind == hlsl::StateValueTerm::Kind::Name
                               ? ParameterIndex(s.terms[0].name)
                               : -1;
        const hlsl::BaseType want = texture ? hlsl::BaseType::Texture : hlsl::BaseType::Sampler;
        const bool fits = named >= 0 && (texture ? parameters_[named].desc.type.base == want
                                                 : parameters_[named].desc.type.IsSampler());
        if (!fits) return fail(s.name + " needs " + (texture ? "a texture" : "a sampler") +
                               " parameter");
        if (texture) {
            slot.textureParameter = named;
        } else if (!AddSamplerParameter(static_cast<size_t>(named), slot, error)) {
            return false;
        }
    } else {
        D3DSAMPLERSTATETYPE type;
        DWORD value = 0;
        if (!ResolveSamplerState(s, type, value, error)) return fail(error);
        slot.states.emplace_back(type, value);
    }
    pass.samplers.push_back(std::move(slot));
    return true;
}

// Each shader of the pass becomes a separable one-stage program; the device
// pairs it with its current program of the other stage at draw time.
bool Effect::LinkStages(const std::string& technique, const hlsl::CompiledPass& source, Pass& pass,
                        std::string& error) {
    pass.setsVertex = source.setsVertexShader;
    pass.setsPixel = source.setsPixelShader;
    const hlsl::GeneratedPass& program = source.program;
    std::string log;
    // A stage program is kept by the device under its one source, the other
    // left empty, so it never stands in for a program of two stages.
    if (!program.vertexSource.empty()) {
        pass.vertex.glProgram = kl::d3d9::TakeKeptProgram(device_, program.vertexSource, "");
        if (!pass.vertex.glProgram)
            pass.vertex.glProgram = LinkGlslStage(true, program.vertexSource, log);
    }
    if (!program.fragmentSource.empty()) {
        pass.pixel.glProgram = kl::d3d9::TakeKeptProgram(device_, "", program.fragmentSource);
        if (!pass.pixel.glProgram)
            pass.pixel.glProgram = LinkGlslStage(false, program.fragmentSource, log);
    }
    pass.vertexSource = program.vertexSource;
    pass.fragmentSource = program.fragmentSource;
    if (!log.empty()) {
        // The translator's output should always compile; if it does not, say
        // where and pass on the GL compiler's words.
        error = hlsl::FormatDiagnostic(source.where, "technique '" + technique + "', pass '" +
                                                         source.name + "' does not link: " + log);
        return false;
    }
    for (const hlsl::GeneratedInput& in : program.inputs)
        pass.vertex.inputs.push_back(kl::d3d9::VertexInputBinding{
            static_cast<BYTE>(in.usage), static_cast<BYTE>(in.usageIndex), in.location});
    return true;
}

// ---- handles ----

// A handle is either one this effect returned (the element's stored name) or
// a name string, as with D3DX.
Effect::Parameter* Effect::FindParameter(D3DXHANDLE handle) {
    if (!handle) return nullptr;
    for (Parameter& p : parameters_)
        if (handle == p.desc.name.c_str()) return &p;
    for (Parameter& p : parameters_)
        if (p.desc.name == handle) return &p;
    return nullptr;
}

Effect::Technique* Effect::FindTechnique(D3DXHANDLE handle) {
    if (!handle) return nullptr;
    for (Technique& t : techniques_)
        if (handle == t.name.c_str()) return &t;
    for (Technique& t : techniques_)
        if (t.name == handle) return &t;
    return nullptr;
}

Effect::Parameter* Effect::NumericParameter(D3DXHANDLE handle) {
    Parameter* p = FindParameter(handle);
    return p && IsNumericParameter(p->desc.type) ? p : nullptr;
}

D3DXHANDLE Effect::GetParameter(D3DXHANDLE hParameter, UINT Index) {
    if (hParameter || Index >= parameters_.size()) return nullptr;
    return parameters_[Index].desc.name.c_str();
}

D3DXHANDLE Effect::GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) {
    if (hParameter || !pName) return nullptr;  // struct members are not exposed
    Parameter* p = FindParameter(pName);
    return p ? p->desc.name.c_str() : nullptr;
}

D3DXHANDLE Effect::GetTechnique(UINT Index) {
    return Index < techniques_.size() ? techniques_[Index].name.c_str() : nullptr;
}

D3DXHANDLE Effect::GetTechniqueByName(LPCSTR pName) {
    Technique* t = FindTechnique(pName);
    return t ? t->name.c_str() : nullptr;
}

// ---- values ----

HRESULT Effect::SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) {
    Parameter* p = FindParameter(hParameter);
    if (!p || !pData) return D3DERR_INVALIDCALL;
    if (IsTextureParameter(p->desc.type)) {
        if (Bytes < sizeof(IDirect3DBaseTexture9*)) return D3DERR_INVALIDCALL;
        IDirect3DBaseTexture9* texture = nullptr;
        std::memcpy(&texture, pData, sizeof texture);
        return SetTexture(hParameter, texture);
    }
    if (!IsNumericParameter(p->desc.type)) return D3DERR_INVALIDCALL;
    const std::vector<float> before = p->values;
    const size_t count = std::min(p->values.size(), static_cast<size_t>(Bytes) / 4);
    const hlsl::BaseType base = p->desc.type.base;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* src = static_cast<const unsigned char*>(pData) + i * 4;
        if (base == hlsl::BaseType::Float) {
            std::memcpy(&p->values[i], src, 4);
        } else {
            int32_t n = 0;
            std::memcpy(&n, src, 4);
            p->values[i] =
                base == hlsl::BaseType::Bool ? (n != 0 ? 1.0f : 0.0f) : static_cast<float>(n);
        }
    }
    ChangedFrom(*p, before);
    return D3D_OK;
}

HRESULT Effect::GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) {
    Parameter* p = FindParameter(hParameter);
    if (!p || !pData) return D3DERR_INVALIDCALL;
    if (IsTextureParameter(p->desc.type)) {
        if (Bytes < sizeof(IDirect3DBaseTexture9*)) return D3DERR_INVALIDCALL;
        if (p->texture) p->texture->AddRef();
        std::memcpy(pData, &p->texture, sizeof p->texture);
        return D3D_OK;
    }
    if (!IsNumericParameter(p->desc.type) || Bytes < p->values.size() * 4)
        return D3DERR_INVALIDCALL;
    for (size_t i = 0; i < p->values.size(); ++i) {
        unsigned char* dst = static_cast<unsigned char*>(pData) + i * 4;
        if (p->desc.type.base == hlsl::BaseType::Float) {
            std::memcpy(dst, &p->values[i], 4);
        } else {
            const float f = std::min(std::max(p->values[i], -2147483648.0f), 2147483520.0f);
            const int32_t n = static_cast<int32_t>(f);
            std::memcpy(dst, &n, 4);
        }
    }
    return D3D_OK;
}

HRESULT Effect::SetBool(D3DXHANDLE hParameter, BOOL b) {
    return SetFloat(hParameter, b ? 1.0f : 0.0f);
}

HRESULT Effect::GetBool(D3DXHANDLE hParameter, BOOL* pb) {
    FLOAT f = 0;
    const HRESULT hr = GetFloat(hParameter, &f);
    if (SUCCEEDED(hr)) *pb = f != 0.0f;
    return hr;
}

HRESULT Effect::SetInt(D3DXHANDLE hParameter, INT n) {
    return SetFloat(hParameter, static_cast<float>(n));
}

HRESULT Effect::GetInt(D3DXHANDLE hParameter, INT* pn) {
    FLOAT f = 0;
    const HRESULT hr = GetFloat(hParameter, &f);
    if (SUCCEEDED(hr)) *pn = static_cast<INT>(std::min(std::max(f, -2147483648.0f), 2147483520.0f));
    return hr;
}

HRESULT Effect::SetFloat(D3DXHANDLE hParameter, FLOAT f) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || p->desc.type.matrix) return D3DERR_INVALIDCALL;
    const std::vector<float> before = p->values;
    p->values[0] = p->desc.type.base == hlsl::BaseType::Bool ? (f != 0.0f ? 1.0f : 0.0f) : f;
    ChangedFrom(*p, before);
    return D3D_OK;
}

HRESULT Effect::GetFloat(D3DXHANDLE hParameter, FLOAT* pf) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || !pf || p->desc.type.matrix) return D3DERR_INVALIDCALL;
    *pf = p->values[0];
    return D3D_OK;
}

HRESULT Effect::SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || !pVector || p->desc.type.matrix) return D3DERR_INVALIDCALL;
    const std::vector<float> before = p->values;
    const float v[4] = {pVector->x, pVector->y, pVector->z, pVector->w};
    const size_t n = std::min<size_t>(4, static_cast<size_t>(p->desc.type.cols));
    for (size_t i = 0; i < n; ++i) p->values[i] = v[i];
    ChangedFrom(*p, before);
    return D3D_OK;
}

HRESULT Effect::GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || !pVector || p->desc.type.matrix) return D3DERR_INVALIDCALL;
    float v[4] = {0, 0, 0, 0};
    const size_t n = std::min<size_t>(4, static_cast<size_t>(p->desc.type.cols));
    for (size_t i = 0; i < n; ++i) v[i] = p->values[i];
    *pVector = D3DXVECTOR4(v[0], v[1], v[2], v[3]);
    return D3D_OK;
}

HRESULT Effect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || !pMatrix || !p->desc.type.matrix) return D3DERR_INVALIDCALL;
    const std::vector<float> before = p->values;
    const int rows = p->desc.type.rows;
    const int cols = p->desc.type.cols;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            p->values[static_cast<size_t>(r * cols + c)] = pMatrix->m[r][c];
    ChangedFrom(*p, before);
    return D3D_OK;
}

HRESULT Effect::GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) {
    Parameter* p = NumericParameter(hParameter);
    if (!p || !pMatrix || !p->desc.type.matrix) return D3DERR_INVALIDCALL;
    const int rows = p->desc.type.rows;
    const int cols = p->desc.type.cols;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            pMatrix->m[r][c] =
                r < rows && c < cols ? p->values[static_cast<size_t>(r * cols + c)] : 0.0f;
    return D3D_OK;
}

HRESULT Effect::SetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9 pTexture) {
    Parameter* p = FindParameter(hParameter);
    if (!p || !IsTextureParameter(p->desc.type)) return D3DERR_INVALIDCALL;
    if (p->texture == pTexture) return D3D_OK;
    if (pTexture) pTexture->AddRef();
    if (p->texture) p->texture->Release();
    p->texture = pTexture;
    ++p->version;
    return D3D_OK;
}

HRESULT Effect::GetTexture(D3DXHANDLE hParameter, LPDIRECT3DBASETEXTURE9* ppTexture) {
    Parameter* p = FindParameter(hParameter);
    if (!ppTexture) return D3DERR_INVALIDCALL;
    *ppTexture = nullptr;
    if (!p || !IsTextureParameter(p->desc.type)) return D3DERR_INVALIDCALL;
    if (p->texture) p->texture->AddRef();
    *ppTexture = p->texture;
    return D3D_OK;
}

// ---- techniques and passes ----

HRESULT Effect::SetTechnique(D3DXHANDLE hTechnique) {
    Technique* t = FindTechnique(hTechnique);
    if (!t || begun_) return D3DERR_INVALIDCALL;
    current_ = t;
    return D3D_OK;
}

D3DXHANDLE Effect::GetCurrentTechnique() {
    return current_ ? current_->name.c_str() : nullptr;
}

void Effect::SaveStates(const Technique& technique, DWORD flags) {
    savedRenderStates_.clear();
    savedSamplerStates_.clear();
    for (auto& saved : savedTextures_)
        if (saved.second) saved.second->Release();
    savedTextures_.clear();
    restoreProgram_ = false;
    if (flags & D3DXFX_DONOTSAVESTATE) return;
    restoreProgram_ = !(flags & D3DXFX_DONOTSAVESHADERSTATE);
    for (const Pass& pass : technique.passes) {
        for (const auto& assignment : pass.states) {
            // A named copy: lambdas cannot capture structured bindings in C++17.
            const auto state = assignment.first;
            const bool known = std::any_of(savedRenderStates_.begin(), savedRenderStates_.end(),
                                           [&](const auto& s) { return s.first == state; });
            DWORD current = 0;
            if (!known && SUCCEEDED(device_->GetRenderState(state, &current)))
                savedRenderStates_.emplace_back(state, current);
        }
        if (flags & D3DXFX_DONOTSAVESAMPLERSTATE) continue;
        for (const SamplerSlot& slot : pass.samplers) {
            const DWORD stage = static_cast<DWORD>(slot.stage);
            const bool known = std::any_of(savedTextures_.begin(), savedTextures_.end(),
                                           [&](const auto& s) { return s.first == stage; });
            if (!known && slot.textureParameter >= 0) {
                IDirect3DBaseTexture9* texture = nullptr;
                if (SUCCEEDED(device_->GetTexture(stage, &texture)))
                    savedTextures_.emplace_back(stage, texture);
            }
            for (const auto& [type, value] : slot.states) {
                DWORD current = 0;
                if (SUCCEEDED(device_->GetSamplerState(stage, type, &current)))
                    savedSamplerStates_.push_back(SavedSamplerState{stage, type, current});
            }
        }
    }
}

void Effect::RestoreStates() {
    for (const auto& [state, value] : savedRenderStates_) device_->SetRenderState(state, value);
    // Reverse order: a stage saved twice gets its first (original) value last.
    for (auto it = savedSamplerStates_.rbegin(); it != savedSamplerStates_.rend(); ++it)
        device_->SetSamplerState(it->stage, it->type, it->value);
    for (auto& [stage, texture] : savedTextures_) {
        device_->SetTexture(stage, texture);
        if (texture) texture->Release();
    }
    savedTextures_.clear();
    savedRenderStates_.clear();
    savedSamplerStates_.clear();
    if (restoreProgram_ && programBound_) {
        kl::d3d9::BindProgram(device_, nullptr);
        programBound_ = false;
    }
}

HRESULT Effect::Begin(UINT* pPasses, DWORD Flags) {
    if (!current_ || begun_) return D3DERR_INVALIDCALL;
    SaveStates(*current_, Flags);
    begun_ = true;
    activePass_ = -1;
    if (pPasses) *pPasses = static_cast<UINT>(current_->passes.size());
    return D3D_OK;
}

void Effect::ApplySamplers(const Pass& pass) {
    for (const SamplerSlot& slot : pass.samplers) {
        const DWORD stage = static_cast<DWORD>(slot.stage);
        if (slot.textureParameter >= 0)
            device_->SetTexture(stage,
                                parameters_[static_cast<size_t>(slot.textureParameter)].texture);
        for (const auto& [type, value] : slot.states) device_->SetSamplerState(stage, type, value);
    }
}

void Effect::UploadUniforms(Pass& pass) {
    for (UniformSlot& slot : pass.uniforms) {
        Parameter& p = parameters_[slot.parameter];
        if (slot.uploaded == p.version) continue;
        UploadUniform(slot.program, slot.location, p.desc.type.Element(),
                      std::max(1, p.desc.type.arraySize), p.values.data());
        slot.uploaded = p.version;
    }
}

HRESULT Effect::BeginPass(UINT Pass) {
    if (!begun_ || activePass_ >= 0 || Pass >= current_->passes.size()) return D3DERR_INVALIDCALL;
    auto& pass = current_->passes[Pass];
    for (const auto& [state, value] : pass.states) device_->SetRenderState(state, value);
    ApplySamplers(pass);
    if (pass.setsVertex || pass.setsPixel) {
        kl::d3d9::MakeDeviceContextCurrent(device_);
        UploadUniforms(pass);
        BindPassStages(pass);
        programBound_ = true;
    }
    activePass_ = static_cast<long>(Pass);
    return D3D_OK;
}

// Only the stages the pass assigns change; the other keeps what an earlier
// pass (or the application) left, as with Direct3D's shader states.
void Effect::BindPassStages(const Pass& pass) {
    using kl::d3d9::ShaderStage;
    if (pass.setsVertex)
        kl::d3d9::BindShaderStage(device_, ShaderStage::Vertex,
                                  pass.vertex.glProgram ? &pass.vertex : nullptr);
    if (pass.setsPixel)
        kl::d3d9::BindShaderStage(device_, ShaderStage::Pixel,
                                  pass.pixel.glProgram ? &pass.pixel : nullptr);
}

HRESULT Effect::CommitChanges() {
    if (!begun_ || activePass_ < 0) return D3DERR_INVALIDCALL;
    auto& pass = current_->passes[static_cast<size_t>(activePass_)];
    ApplySamplers(pass);
    if (!pass.uniforms.empty()) {
        kl::d3d9::MakeDeviceContextCurrent(device_);
        UploadUniforms(pass);
    }
    return D3D_OK;
}

HRESULT Effect::EndPass() {
    if (!begun_ || activePass_ < 0) return D3DERR_INVALIDCALL;
    activePass_ = -1;
    return D3D_OK;
}

HRESULT Effect::End() {
    if (!begun_) return D3DERR_INVALIDCALL;
    RestoreStates();
    begun_ = false;
    activePass_ = -1;
    return D3D_OK;
}

HRESULT Effect::GetDevice(LPDIRECT3DDEVICE9* ppDevice) {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *ppDevice = device_;
    return D3D_OK;
}

// GL programs and uploaded constants survive device loss on this platform;
// there are no default-pool resources to give back or re-create.
HRESULT Effect::OnLostDevice() {
    return D3D_OK;
}
HRESULT Effect::OnResetDevice() {
    return D3D_OK;
}

}  // namespace kl::d3dx9
