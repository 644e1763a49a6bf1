// ID3DXEffect over a compiled effect: parameter storage, technique selection,
// and the Begin / BeginPass / CommitChanges / EndPass / End protocol applied
// through the device's public API and the device bridge.
#pragma once

#include "common/com_object.h"
#include "d3d9/device_bridge.h"
#include "d3dx9/effect/effect_compiler.h"

#include <d3dx9.h>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kl::d3dx9 {

class Effect final : public kl::platform::ComObject<ID3DXEffect> {
public:
    // Links every pass on the device's context. Returns nullptr with a
    // "file(line,col): message" line in `error` when a state or a program is
    // rejected.
    static Effect* Create(IDirect3DDevice9* device, hlsl::CompiledEffect compiled,
                          std::string& error);

    // ID3DXBaseEffect
    HRESULT STDMETHODCALLTYPE GetParameterDesc(D3DXHANDLE hParameter,
                                               D3DXPARAMETER_DESC* pDesc) override;
    D3DXHANDLE STDMETHODCALLTYPE GetParameter(D3DXHANDLE hParameter, UINT Index) override;
    D3DXHANDLE STDMETHODCALLTYPE GetParameterElement(D3DXHANDLE hParameter,
                                                     UINT ElementIndex) override;
    D3DXHANDLE STDMETHODCALLTYPE GetParameterByName(D3DXHANDLE hParameter, LPCSTR pName) override;
    D3DXHANDLE STDMETHODCALLTYPE GetTechnique(UINT Index) override;
    D3DXHANDLE STDMETHODCALLTYPE GetTechniqueByName(LPCSTR pName) override;
    HRESULT STDMETHODCALLTYPE SetValue(D3DXHANDLE hParameter, LPCVOID pData, UINT Bytes) override;
    HRESULT STDMETHODCALLTYPE GetValue(D3DXHANDLE hParameter, LPVOID pData, UINT Bytes) override;
    HRESULT STDMETHODCALLTYPE SetBool(D3DXHANDLE hParameter, BOOL b) override;
    HRESULT STDMETHODCALLTYPE GetBool(D3DXHANDLE hParameter, BOOL* pb) override;
    HRESULT STDMETHODCALLTYPE SetInt(D3DXHANDLE hParameter, INT n) override;
    HRESULT STDMETHODCALLTYPE GetInt(D3DXHANDLE hParameter, INT* pn) override;
    HRESULT STDMETHODCALLTYPE SetFloat(D3DXHANDLE hParameter, FLOAT f) override;
    HRESULT STDMETHODCALLTYPE GetFloat(D3DXHANDLE hParameter, FLOAT* pf) override;
    HRESULT STDMETHODCALLTYPE SetVector(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector) override;
    HRESULT STDMETHODCALLTYPE GetVector(D3DXHANDLE hParameter, D3DXVECTOR4* pVector) override;
    HRESULT STDMETHODCALLTYPE SetFloatArray(D3DXHANDLE hParameter, const FLOAT* pf,
                                            UINT Count) override;
    HRESULT STDMETHODCALLTYPE GetFloatArray(D3DXHANDLE hParameter, FLOAT* pf, UINT Count) override;
    HRESULT STDMETHODCALLTYPE SetVectorArray(D3DXHANDLE hParameter, const D3DXVECTOR4* pVector,
                                             UINT Count) override;
    HRESULT STDMETHODCALLTYPE GetVectorArray(D3DXHANDLE hParameter, D3DXVECTOR4* pVector,
                                             UINT Count) override;
    HRESULT STDMETHODCALLTYPE SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE GetMatrix(D3DXHANDLE hParameter, D3DXMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE SetTexture(D3DXHANDLE hParameter,
                                         LPDIRECT3DBASETEXTURE9 pTexture) override;
    HRESULT STDMETHODCALLTYPE GetTexture(D3DXHANDLE hParameter,
                                         LPDIRECT3DBASETEXTURE9* ppTexture) override;

    // ID3DXEffect
    HRESULT STDMETHODCALLTYPE SetTechnique(D3DXHANDLE hTechnique) override;
    D3DXHANDLE STDMETHODCALLTYPE GetCurrentTechnique() override;
    HRESULT STDMETHODCALLTYPE Begin(UINT* pPasses, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE BeginPass(UINT Pass) override;
    HRESULT STDMETHODCALLTYPE CommitChanges() override;
    HRESULT STDMETHODCALLTYPE EndPass() override;
    HRESULT STDMETHODCALLTYPE End() override;
    HRESULT STDMETHODCALLTYPE GetDevice(LPDIRECT3DDEVICE9* ppDevice) override;
    HRESULT STDMETHODCALLTYPE OnLostDevice() override;
    HRESULT STDMETHODCALLTYPE OnResetDevice() override;

private:
    struct Parameter {
        hlsl::EffectParameter desc;
        std::vector<float> values;  // numeric parameters, row by row
        IDirect3DBaseTexture9* texture = nullptr;
        unsigned long long version = 1;
    };
    // An array element GetParameterElement handed out: a run of its
    // parameter's values. The name ("w[1]", "w[1][0]") is its handle.
    struct Element {
        std::string name;
        size_t parameter;
        size_t offset;  // its first value in the parameter's values
        hlsl::Type type;
    };
    // What a handle addresses: a whole parameter or one of its elements.
    struct View {
        Parameter* parameter = nullptr;
        size_t offset = 0;
        hlsl::Type type;
        const std::string* handle = nullptr;
        size_t Values() const { return static_cast<size_t>(type.Components() * type.Count()); }
    };
    struct UniformSlot {
        size_t parameter;
        unsigned program;            // the stage program that declares it
        std::vector<int> locations;  // see UniformValueLocations
        unsigned long long uploaded = 0;
    };
    struct SamplerSlot {
        int stage;
        long textureParameter;  // -1: the sampler_state names no texture
        std::vector<std::pair<D3DSAMPLERSTATETYPE, DWORD>> states;
    };
    struct Pass {
        std::string name;
        std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
        // A stage the pass assigns: its separable program, or none (glProgram
        // 0) for `= NULL`, the fixed-function stage.
        bool setsVertex = false;
        bool setsPixel = false;
        kl::d3d9::ProgramBinding vertex;
        kl::d3d9::ProgramBinding pixel;
        // What each stage's program was compiled from: the device keeps the
        // programs under these when the effect goes.
        std::string vertexSource, fragmentSource;
        std::vector<UniformSlot> uniforms;
        std::vector<SamplerSlot> samplers;
    };
    struct Technique {
        std::string name;
        std::vector<Pass> passes;
    };

    explicit Effect(IDirect3DDevice9* device);
    ~Effect();

    bool BuildPass(const std::string& technique, const hlsl::CompiledPass& source, Pass& pass,
                   std::string& error);
    long ParameterIndex(const std::string& name) const;
    bool AddSamplerParameter(const hlsl::EffectParameter& d, SamplerSlot& slot, std::string& error);
    static bool IsStageState(const hlsl::StateAssignment& s);
    bool AddStageState(const hlsl::StateAssignment& s, Pass& pass, std::string& error);
    bool LinkStages(const std::string& technique, const hlsl::CompiledPass& source, Pass& pass,
                    std::string& error);
    void BindPassStages(const Pass& pass);
    Parameter* FindParameter(D3DXHANDLE handle);
    View Resolve(D3DXHANDLE handle);
    Technique* FindTechnique(D3DXHANDLE handle);
    View NumericView(D3DXHANDLE handle);
    // Writes one value of a parameter, noting whether it differs from the
    // value before: a parameter is uploaded again only when one did (the
    // renderer sets the same matrices for every subset it draws).
    static void Store(Parameter& p, size_t index, float value, bool& changed) {
        float& stored = p.values[index];
        if (stored != value) changed = true;
        stored = value;
    }
    static void CountChange(Parameter& p, bool changed) {
        if (changed) ++p.version;
    }
    void ApplySamplers(const Pass& pass);
    void UploadUniforms(Pass& pass);
    void SaveStates(const Technique& technique, DWORD flags);
    void RestoreStates();

    IDirect3DDevice9* device_;
    std::vector<Parameter> parameters_;
    // Applications name parameters and techniques by string on every call;
    // the views point into the parameters' and techniques' names, which never
    // move after Create.
    std::unordered_map<std::string_view, size_t> parameterByName_;
    std::unordered_map<std::string_view, size_t> techniqueByName_;
    std::deque<Element> elements_;  // a deque: handles point into the names
    std::vector<Technique> techniques_;
    Technique* current_ = nullptr;
    bool begun_ = false;
    long activePass_ = -1;
    bool programBound_ = false;
    bool restoreProgram_ = false;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> savedRenderStates_;
    std::vector<std::pair<DWORD, IDirect3DBaseTexture9*>> savedTextures_;
    struct SavedSamplerState {
        DWORD stage;
        D3DSAMPLERSTATETYPE type;
        DWORD value;
    };
    std::vector<SavedSamplerState> savedSamplerStates_;
};

}  // namespace kl::d3dx9
