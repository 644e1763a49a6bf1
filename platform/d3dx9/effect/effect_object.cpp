#include "d3dx9/effect/effect_object.h"

#include "d3dx9/effect/effect_gl_program.h"
#include "d3dx9/effect/effect_state_tables.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace kl::d3dx9 {
namespace {

bool IsTextureParameter(const hlsl::Type& t) {
    return t.base == hlsl::BaseType::Texture;
}

bool IsNumericParameter(const hlsl::Type& t) {
    return t.Innermost().IsNumeric();
}

D3DXPARAMETER_TYPE ParameterType(hlsl::BaseType base) {
    using hlsl::BaseType;
    static const std::pair<BaseType, D3DXPARAMETER_TYPE> kTypes[] = {
        {BaseType::Bool, D3DXPT_BOOL},
        {BaseType::Int, D3DXPT_INT},
        {BaseType::Uint, D3DXPT_INT},
        {BaseType::Float, D3DXPT_FLOAT},
        {BaseType::Texture, D3DXPT_TEXTURE},
        {BaseType::Sampler, D3DXPT_SAMPLER},
        {BaseType::Sampler2D, D3DXPT_SAMPLER2D},
        {BaseType::Sampler3D, D3DXPT_SAMPLER3D},
        {BaseType::SamplerCube, D3DXPT_SAMPLERCUBE},
        {BaseType::String, D3DXPT_STRING}};
    for (const auto& [b, type] : kTypes)
        if (b == base) return type;
    return D3DXPT_VOID;
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
    // Of two parameters (or techniques) with one name, the first is found.
    for (size_t i = 0; i < effect->parameters_.size(); ++i)
        effect->parameterByName_.emplace(effect->parameters_[i].desc.name, i);
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
    for (size_t i = 0; i < effect->techniques_.size(); ++i)
        effect->techniqueByName_.emplace(effect->techniques_[i].name, i);
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
            const long parameter = ParameterIndex(u.name);
            if (!stage || parameter < 0) continue;
            const std::vector<int> locations =
                UniformValueLocations(stage, u.glslName, parameters_[parameter].desc.type);
            // Not in this stage, or optimised away.
            if (std::all_of(locations.begin(), locations.end(), [](int l) { return l < 0; }))
                continue;
            pass.uniforms.push_back(
                UniformSlot{static_cast<size_t>(parameter), stage, locations, 0});
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
            if (sampler >= 0) {
                const hlsl::EffectParameter& d = parameters_[static_cast<size_t>(sampler)].desc;
                const bool element =
                    s.element >= 0 && static_cast<size_t>(s.element) < d.samplerElements.size();
                if (!AddSamplerParameter(element ? d.samplerElements[s.element] : d, slot, error))
                    return false;
            }
            pass.samplers.push_back(std::move(slot));
        }
    }
    // After the shaders' samplers, so that the pass's own settings win.
    for (const hlsl::StateAssignment* s : stageStates)
        if (!AddStageState(*s, pass, error)) return false;
    return true;
}

long Effect::ParameterIndex(const std::string& name) const {
    const auto found = parameterByName_.find(name);
    return found == parameterByName_.end() ? -1 : static_cast<long>(found->second);
}

// A sampler parameter's (or sampler array element's) texture and
// sampler_state settings, for its stage.
bool Effect::AddSamplerParameter(const hlsl::EffectParameter& d, SamplerSlot& slot,
                                 std::string& error) {
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
        const long named =
            s.terms.size() == 1 && s.terms[0].kind == hlsl::StateValueTerm::Kind::Name
                ? ParameterIndex(s.terms[0].name)
                : -1;
        const hlsl::BaseType want = texture ? hlsl::BaseType::Texture : hlsl::BaseType::Sampler;
        const hlsl::Type* type = named >= 0 ? &parameters_[named].desc.type : nullptr;
        const bool fits =
            type && (texture ? type->base == want : type->IsSampler() && type->arraySize == 0);
        if (!fits)
            return fail(s.name + " needs " + (texture ? "a texture" : "a sampler") + " parameter");
        if (texture) {
            slot.textureParameter = named;
        } else if (!AddSamplerParameter(parameters_[named].desc, slot, error)) {
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

// A handle is either one this effect returned (the parameter's or element's
// stored name) or a parameter's name string, as with D3DX. A parameter's
// handle is its name, so both are found by the text they hold.
Effect::Parameter* Effect::FindParameter(D3DXHANDLE handle) {
    if (!handle) return nullptr;
    const auto found = parameterByName_.find(handle);
    return found == parameterByName_.end() ? nullptr : &parameters_[found->second];
}

// An element is known only by the handle GetParameterElement returned; no
// parameter name holds brackets, so trying the parameters first finds no
// element's handle.
Effect::View Effect::Resolve(D3DXHANDLE handle) {
    View v;
    if (Parameter* p = FindParameter(handle)) {
        v.parameter = p;
        v.type = p->desc.type;
        v.handle = &p->desc.name;
        return v;
    }
    for (Element& e : elements_) {
        if (handle != e.name.c_str()) continue;
        v.parameter = &parameters_[e.parameter];
        v.offset = e.offset;
        v.type = e.type;
        v.handle = &e.name;
        return v;
    }
    return v;
}

Effect::Technique* Effect::FindTechnique(D3DXHANDLE handle) {
    if (!handle) return nullptr;
    const auto found = techniqueByName_.find(handle);
    return found == techniqueByName_.end() ? nullptr : &techniques_[found->second];
}

Effect::View Effect::NumericView(D3DXHANDLE handle) {
    View v = Resolve(handle);
    if (v.parameter && !IsNumericParameter(v.type)) v.parameter = nullptr;
    return v;
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

// Element i of an array is the run of values after the i elements before it;
// an element of an array of arrays is itself an array.
D3DXHANDLE Effect::GetParameterElement(D3DXHANDLE hParameter, UINT ElementIndex) {
    const View v = Resolve(hParameter);
    if (!v.parameter || ElementIndex >= static_cast<UINT>(v.type.arraySize)) return nullptr;
    const std::string name = *v.handle + "[" + std::to_string(ElementIndex) + "]";
    for (const Element& e : elements_)
        if (e.name == name) return e.name.c_str();
    const hlsl::Type element = v.type.Element();
    const size_t offset =
        IsNumericParameter(v.type)
            ? v.offset + ElementIndex * static_cast<size_t>(element.Components() * element.Count())
            : 0;
    elements_.push_back(
        Element{name, static_cast<size_t>(v.parameter - parameters_.data()), offset, element});
    return elements_.back().name.c_str();
}

HRESULT Effect::GetParameterDesc(D3DXHANDLE hParameter, D3DXPARAMETER_DESC* pDesc) {
    const View v = Resolve(hParameter);
    if (!v.parameter || !pDesc) return D3DERR_INVALIDCALL;
    const hlsl::Type& t = v.type;
    D3DXPARAMETER_DESC d{};
    d.Name = v.parameter->desc.name.c_str();
    d.Semantic = v.parameter->desc.semantic.empty() ? nullptr : v.parameter->desc.semantic.c_str();
    d.Type = ParameterType(t.base);
    const bool numeric = IsNumericParameter(t);
    d.Class = !numeric     ? D3DXPC_OBJECT
              : t.matrix   ? D3DXPC_MATRIX_ROWS
              : t.cols > 1 ? D3DXPC_VECTOR
                           : D3DXPC_SCALAR;
    d.Rows = numeric ? static_cast<UINT>(t.rows) : 0;
    d.Columns = numeric ? static_cast<UINT>(t.cols) : 0;
    d.Elements = static_cast<UINT>(t.arraySize);
    d.Bytes = numeric ? static_cast<UINT>(v.Values() * 4) : 0;
    *pDesc = d;
    return D3D_OK;
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
    const View v = Resolve(hParameter);
    if (!v.parameter || !pData) return D3DERR_INVALIDCALL;
    Parameter* p = v.parameter;
    if (IsTextureParameter(v.type)) {
        if (Bytes < sizeof(IDirect3DBaseTexture9*)) return D3DERR_INVALIDCALL;
        IDirect3DBaseTexture9* texture = nullptr;
        std::memcpy(&texture, pData, sizeof texture);
        return SetTexture(hParameter, texture);
    }
    if (!IsNumericParameter(v.type)) return D3DERR_INVALIDCALL;
    bool changed = false;
    // Elements follow each other row by row, the inner arrays of an array of
    // arrays one after another.
    const size_t count = std::min(v.Values(), static_cast<size_t>(Bytes) / 4);
    const hlsl::BaseType base = v.type.base;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* src = static_cast<const unsigned char*>(pData) + i * 4;
        float value = 0.0f;
        if (base == hlsl::BaseType::Float) {
            std::memcpy(&value, src, 4);
        } else {
            int32_t n = 0;
            std::memcpy(&n, src, 4);
            value = base == hlsl::BaseType::Bool ? (n != 0 ? 1.0f : 0.0f) : static_cast<float>(n);
        }
        Store(*p, v.offset + i, value, changed);
    }
    CountChange(*p, changed);
    return D3D_OK;
}

HRESULT Effect::GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) {
    const View v = Resolve(hParameter);
    if (!v.parameter || !pData) return D3DERR_INVALIDCALL;
    const Parameter* p = v.parameter;
    if (IsTextureParameter(v.type)) {
        if (Bytes < sizeof(IDirect3DBaseTexture9*)) return D3DERR_INVALIDCALL;
        if (p->texture) p->texture->AddRef();
        std::memcpy(pData, &p->texture, sizeof p->texture);
        return D3D_OK;
    }
    if (!IsNumericParameter(v.type) || Bytes < v.Values() * 4) return D3DERR_INVALIDCALL;
    for (size_t i = 0; i < v.Values(); ++i) {
        unsigned char* dst = static_cast<unsigned char*>(pData) + i * 4;
        const float value = p->values[v.offset + i];
        if (v.type.base == hlsl::BaseType::Float) {
            std::memcpy(dst, &value, 4);
        } else {
            const float f = std::min(std::max(value, -2147483648.0f), 2147483520.0f);
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
    const View v = NumericView(hParameter);
    if (!v.parameter || v.type.matrix) return D3DERR_INVALIDCALL;
    return SetFloatArray(hParameter, &f, 1);
}

HRESULT Effect::GetFloat(D3DXHANDLE hParameter, FLOAT* pf) {
    const View v = NumericView(hParameter);
    if (!v.parameter || v.type.matrix) return D3DERR_INVALIDCALL;
    return GetFloatArray(hParameter, pf, 1);
}

// Floats fill the components in order: row by row, element by element.
HRESULT Effect::SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf, UINT Count) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pf) return D3DERR_INVALIDCALL;
    Parameter& p = *v.parameter;
    bool changed = false;
    const size_t n = std::min(v.Values(), static_cast<size_t>(Count));
    const bool boolean = v.type.base == hlsl::BaseType::Bool;
    for (size_t i = 0; i < n; ++i)
        Store(p, v.offset + i, boolean ? (pf[i] != 0.0f ? 1.0f : 0.0f) : pf[i], changed);
    CountChange(p, changed);
    return D3D_OK;
}

HRESULT Effect::GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pf) return D3DERR_INVALIDCALL;
    const size_t n = std::min(v.Values(), static_cast<size_t>(Count));
    for (size_t i = 0; i < n; ++i) pf[i] = v.parameter->values[v.offset + i];
    return D3D_OK;
}

HRESULT Effect::SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) {
    return SetVectorArray(hParameter, pVector, 1);
}

HRESULT Effect::GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) {
    return GetVectorArray(hParameter, pVector, 1);
}

// One vector per element (every element of an array of arrays, in order);
// each element takes as many components as it has.
HRESULT Effect::SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector, UINT Count) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pVector || v.type.matrix) return D3DERR_INVALIDCALL;
    Parameter& p = *v.parameter;
    bool changed = false;
    const size_t cols = std::min<size_t>(4, static_cast<size_t>(v.type.cols));
    const size_t n = std::min(static_cast<size_t>(v.type.Count()), static_cast<size_t>(Count));
    for (size_t e = 0; e < n; ++e) {
        const float c[4] = {pVector[e].x, pVector[e].y, pVector[e].z, pVector[e].w};
        for (size_t i = 0; i < cols; ++i) Store(p, v.offset + e * cols + i, c[i], changed);
    }
    CountChange(p, changed);
    return D3D_OK;
}

HRESULT Effect::GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector, UINT Count) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pVector || v.type.matrix) return D3DERR_INVALIDCALL;
    const size_t cols = std::min<size_t>(4, static_cast<size_t>(v.type.cols));
    const size_t n = std::min(static_cast<size_t>(v.type.Count()), static_cast<size_t>(Count));
    for (size_t e = 0; e < n; ++e) {
        float c[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < cols; ++i) c[i] = v.parameter->values[v.offset + e * cols + i];
        pVector[e] = D3DXVECTOR4(c[0], c[1], c[2], c[3]);
    }
    return D3D_OK;
}

HRESULT Effect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pMatrix || !v.type.matrix) return D3DERR_INVALIDCALL;
    Parameter& p = *v.parameter;
    bool changed = false;
    const int rows = v.type.rows;
    const int cols = v.type.cols;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            Store(p, v.offset + static_cast<size_t>(r * cols + c), pMatrix->m[r][c], changed);
    CountChange(p, changed);
    return D3D_OK;
}

HRESULT Effect::GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) {
    const View v = NumericView(hParameter);
    if (!v.parameter || !pMatrix || !v.type.matrix) return D3DERR_INVALIDCALL;
    const int rows = v.type.rows;
    const int cols = v.type.cols;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            pMatrix->m[r][c] =
                r < rows && c < cols
                    ? v.parameter->values[v.offset + static_cast<size_t>(r * cols + c)]
                    : 0.0f;
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
        UploadUniformValue(slot.program, slot.locations, p.desc.type, p.values.data());
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
