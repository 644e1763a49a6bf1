// ID3DXEffect on the headless device: creation from files, handles and
// names, parameter values, the state save/restore of Begin/End, textures
// bound through sampler states, reference counts, errors, and drawing.
#include <gtest/gtest.h>

#include <d3dx9.h>
#include <windows.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "headless_device.h"

namespace {

const char kFlatColour[] = R"(
float4x4 matWVP;
float4 tint = {0, 1, 0, 1};
texture tex;
sampler2D texSampler = sampler_state { Texture = <tex>; MinFilter = Point; MagFilter = Point; AddressU = Clamp; AddressV = Mirror; };
struct VOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
VOut VS(float4 p : POSITION, float2 uv : TEXCOORD0) { VOut o; o.pos = mul(p, matWVP); o.uv = uv; return o; }
float4 PS(VOut i) : COLOR { return tint; }
float4 TexturedPS(VOut i) : COLOR { return tex2D(texSampler, i.uv); }
technique Flat { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); CullMode = None; ZEnable = false; } }
technique Textured { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 TexturedPS(); ZFunc = Greater; ZWriteEnable = false; } }
)";

struct QuadVertex {
    float x, y, z, u, v;
};

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

class EffectDevice : public ::testing::Test {
protected:
    static constexpr UINT kSize = 32;

    void SetUp() override {
        headless_.Create(kSize, kSize);
        device_ = headless_.device;
    }

    void TearDown() override {
        if (effect_) effect_->Release();
        headless_.Release();
    }

    HRESULT CreateFromText(const char* text, LPD3DXBUFFER* errors = nullptr) {
        return D3DXCreateEffect(device_, text, static_cast<UINT>(std::strlen(text)), nullptr,
                                nullptr, 0, nullptr, &effect_, errors);
    }

    DWORD RenderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0xdeadbeef;
        EXPECT_EQ(device_->GetRenderState(state, &value), S_OK);
        return value;
    }

    ULONG DeviceRefs() {
        device_->AddRef();
        return device_->Release();
    }

    void DrawQuad() {
        const QuadVertex quad[] = {
            {-1, -1, 0.5f, 0, 1}, {-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {1, -1, 0.5f, 1, 1}};
        ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1), S_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex)), S_OK);
    }

    // The back buffer's colour at (x, y) as 0x00RRGGBB.
    DWORD Pixel(UINT x, UINT y) { return kl::test::RenderTargetPixel(device_, x, y) & 0x00ffffff; }

    kl::test::HeadlessDevice headless_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXEffect* effect_ = nullptr;
};

TEST_F(EffectDevice, LoadsDsPrepThroughAWindowsStylePath) {
    const char* root = KESTRALUNE_SOURCE_DIR;
    // Backslashes and the wrong letter case, as the system writes the path.
    const std::wstring path = Widen(std::string(root) + "\\SHADERS\\ds_prep.FX");
    ASSERT_EQ(D3DXCreateEffectFromFileW(device_, path.c_str(), nullptr, nullptr, 0, nullptr,
                                        &effect_, nullptr),
              S_OK);
    for (const char* name : {"RenderDiffuseToTexture", "RenderNormalToTexture",
                             "RenderSpecularToTexture", "RenderPositionToTexture", "RenderDSSun",
                             "RenderDSPoint", "RenderClassicSun", "RenderClassicPoint"})
        EXPECT_EQ(effect_->SetTechnique(name), S_OK) << name;
    EXPECT_NE(effect_->GetParameterByName(nullptr, "matInvVP"), nullptr);
}

TEST_F(EffectDevice, MissingFileAndCompileErrorsFailWithAMessage) {
    EXPECT_EQ(D3DXCreateEffectFromFileW(device_, L"no\\such\\file.fx", nullptr, nullptr, 0, nullptr,
                                        &effect_, nullptr),
              D3DERR_NOTFOUND);
    EXPECT_EQ(effect_, nullptr);
    LPD3DXBUFFER errors = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateFromText("float4 x = ;\ntechnique T { pass { } }", &errors), E_FAIL);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(effect_, nullptr);
    ASSERT_NE(errors, nullptr);
    const std::string message = static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
    EXPECT_EQ(message, "<memory>(1,12): expected an expression but found ';'");
    EXPECT_EQ(printed, message + "\n");
    EXPECT_EQ(DeviceRefs(), 1u);
}

TEST_F(EffectDevice, UnknownStateValuesFailWithTheirPosition) {
    LPD3DXBUFFER errors = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateFromText("technique T {\n  pass P {\n    ZFunc = Sideways;\n  }\n}", &errors),
              E_FAIL);
    testing::internal::GetCapturedStderr();
    ASSERT_NE(errors, nullptr);
    EXPECT_STREQ(static_cast<const char*>(errors->GetBufferPointer()),
                 "<memory>(3,5): unknown value 'Sideways' for state 'ZFunc'");
    errors->Release();
}

// Macros from the caller and #include through the caller's ID3DXInclude.
class OneFileInclude : public ID3DXInclude {
public:
    HRESULT STDMETHODCALLTYPE Open(D3DXINCLUDE_TYPE, LPCSTR pFileName, LPCVOID, LPCVOID* ppData,
                                   UINT* pBytes) override {
        if (std::string(pFileName) != "states.fxh") return E_FAIL;
        static const char kText[] = "#define PASS_STATES CullMode = CW; ZFunc = Always\n";
        *ppData = kText;
        *pBytes = sizeof kText - 1;
        ++opened;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close(LPCVOID) override {
        ++closed;
        return S_OK;
    }
    int opened = 0;
    int closed = 0;
};

TEST_F(EffectDevice, MacrosAndIncludesComeFromTheCaller) {
    const char text[] =
        "#include \"states.fxh\"\n"
        "#if USE_FIRST\ntechnique First { pass { PASS_STATES; } }\n#endif\n"
        "technique Second { pass { ZFunc = Less; } }\n";
    const D3DXMACRO defines[] = {{"USE_FIRST", "1"}, {nullptr, nullptr}};
    OneFileInclude include;
    ASSERT_EQ(D3DXCreateEffect(device_, text, sizeof text - 1, defines, &include, 0, nullptr,
                               &effect_, nullptr),
              S_OK);
    EXPECT_EQ(include.opened, 1);
    EXPECT_EQ(include.closed, 1);
    ASSERT_EQ(effect_->GetTechnique(0), effect_->GetTechniqueByName("First"));
    ASSERT_EQ(effect_->Begin(nullptr, D3DXFX_DONOTSAVESTATE), S_OK);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_ALWAYS));
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    effect_->Release();
    effect_ = nullptr;
    // Without the macro the first technique is not there.
    ASSERT_EQ(D3DXCreateEffect(device_, text, sizeof text - 1, nullptr, &include, 0, nullptr,
                               &effect_, nullptr),
              S_OK);
    EXPECT_EQ(effect_->GetTechniqueByName("First"), nullptr);
    EXPECT_EQ(effect_->SetTechnique("First"), D3DERR_INVALIDCALL);
}

TEST_F(EffectDevice, UnknownNamesFailWithoutCrashing) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    EXPECT_EQ(effect_->SetTechnique("NoSuchTechnique"), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetTechnique(nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->GetParameterByName(nullptr, "missing"), nullptr);
    EXPECT_EQ(effect_->GetTechniqueByName("missing"), nullptr);
    D3DXMATRIX m{};
    EXPECT_EQ(effect_->SetMatrix("missing", &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetMatrix("tint", &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetFloat("tex", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->SetTexture("tint", nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect_->BeginPass(0), D3DERR_INVALIDCALL);  // before Begin
    EXPECT_EQ(effect_->End(), D3DERR_INVALIDCALL);
}

TEST_F(EffectDevice, HandlesAndNamesAddressTheSameParameter) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    D3DXHANDLE tint = effect_->GetParameterByName(nullptr, "tint");
    ASSERT_NE(tint, nullptr);
    const D3DXVECTOR4 red(1, 0, 0, 0.5f);
    EXPECT_EQ(effect_->SetVector(tint, &red), S_OK);
    D3DXVECTOR4 back;
    EXPECT_EQ(effect_->GetVector("tint", &back), S_OK);
    EXPECT_EQ(back, red);
    // Any string holding the name will do, not only the literal or the handle.
    const std::string copiedName(tint);
    EXPECT_EQ(effect_->GetVector(copiedName.c_str(), &back), S_OK);
    EXPECT_EQ(back, red);
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(effect_->SetMatrix("matWVP", &m), S_OK);
    D3DXMATRIX got{};
    EXPECT_EQ(effect_->GetMatrix(effect_->GetParameterByName(nullptr, "matWVP"), &got), S_OK);
    EXPECT_EQ(std::memcmp(&got, &m, sizeof m), 0);
    D3DXHANDLE flat = effect_->GetTechniqueByName("Flat");
    EXPECT_EQ(effect_->SetTechnique(flat), S_OK);
    EXPECT_EQ(effect_->GetCurrentTechnique(), flat);
}

TEST_F(EffectDevice, BeginSavesAndEndRestoresThePassStates) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL), S_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), S_OK);
    ASSERT_EQ(effect_->SetTechnique("Textured"), S_OK);
    UINT passes = 0;
    ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
    EXPECT_EQ(passes, 1u);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_GREATER));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));

    // Without saving, the pass's states stay.
    ASSERT_EQ(effect_->Begin(&passes, D3DXFX_DONOTSAVESTATE), S_OK);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_GREATER));
}

TEST_F(EffectDevice, SetTextureBindsTheSamplerStateTextureAndItsStates) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        S_OK);
    EXPECT_EQ(effect_->SetTexture("tex", texture), S_OK);
    ASSERT_EQ(effect_->SetTechnique("Textured"), S_OK);
    ASSERT_EQ(effect_->Begin(nullptr, 0), S_OK);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, texture);
    if (bound) bound->Release();
    DWORD value = 0;
    EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_ADDRESSV, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_MIRROR));
    EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_MINFILTER, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    // End puts back the stage's earlier texture (none) and sampler states.
    ASSERT_EQ(device_->GetTexture(0, &bound), S_OK);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_ADDRESSV, &value), S_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
    // The effect holds its own reference until the parameter changes.
    EXPECT_EQ(texture->AddRef(), 3u);
    texture->Release();
    EXPECT_EQ(effect_->SetTexture("tex", nullptr), S_OK);
    EXPECT_EQ(texture->Release(), 0u);
}

// Integer and boolean parameters reach the shader through their own uploads.
TEST_F(EffectDevice, IntegerAndBooleanParametersSelectColours) {
    const char text[] = R"(
int mode = 0;
bool flag = false;
float scale[2] = {0.25, 0.5};
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR { return flag ? (mode == 2 ? float4(scale[1], 0, 0, 1) : float4(0, 1, 0, 1)) : float4(0, 0, 1, 1); }
technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None; } }
)";
    ASSERT_EQ(CreateFromText(text), S_OK);
    auto draw = [&]() {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device_->BeginScene();
        EXPECT_EQ(effect_->Begin(nullptr, 0), S_OK);
        EXPECT_EQ(effect_->BeginPass(0), S_OK);
        DrawQuad();
        EXPECT_EQ(effect_->EndPass(), S_OK);
        EXPECT_EQ(effect_->End(), S_OK);
        device_->EndScene();
        return Pixel(kSize / 2, kSize / 2);
    };
    EXPECT_EQ(draw(), 0x0000ffu);
    EXPECT_EQ(effect_->SetBool("flag", TRUE), S_OK);
    EXPECT_EQ(draw(), 0x00ff00u);
    EXPECT_EQ(effect_->SetInt("mode", 2), S_OK);
    const float scale[2] = {0.0f, 1.0f};
    EXPECT_EQ(effect_->SetValue("scale", scale, sizeof scale), S_OK);
    EXPECT_EQ(draw(), 0xff0000u);
    INT mode = 0;
    BOOL flag = FALSE;
    EXPECT_EQ(effect_->GetInt("mode", &mode), S_OK);
    EXPECT_EQ(effect_->GetBool("flag", &flag), S_OK);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(flag, TRUE);
    float back[2] = {};
    EXPECT_EQ(effect_->GetValue("scale", back, sizeof back), S_OK);
    EXPECT_EQ(back[1], 1.0f);
    EXPECT_EQ(effect_->GetValue("scale", back, 4), D3DERR_INVALIDCALL);  // too small
}

TEST_F(EffectDevice, HoldsADeviceReferenceUntilReleased) {
    const ULONG before = DeviceRefs();
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    EXPECT_EQ(DeviceRefs(), before + 1);
    IDirect3DDevice9* fromEffect = nullptr;
    EXPECT_EQ(effect_->GetDevice(&fromEffect), S_OK);
    EXPECT_EQ(fromEffect, device_);
    fromEffect->Release();
    EXPECT_EQ(effect_->AddRef(), 2u);
    EXPECT_EQ(effect_->Release(), 1u);
    EXPECT_EQ(effect_->OnLostDevice(), S_OK);
    EXPECT_EQ(effect_->OnResetDevice(), S_OK);
    EXPECT_EQ(effect_->Release(), 0u);
    effect_ = nullptr;
    EXPECT_EQ(DeviceRefs(), before);
}

// A matrix set with SetMatrix reaches the vertex shader with D3DX's
// row-vector meaning: scaling by 0.5 leaves the corners uncovered.
TEST_F(EffectDevice, DrawsWithTheSetConstants) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    const D3DXMATRIX half(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    ASSERT_EQ(effect_->SetMatrix("matWVP", &half), S_OK);
    const D3DXVECTOR4 blue(0, 0, 1, 1);
    ASSERT_EQ(effect_->SetVector("tint", &blue), S_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0),
              S_OK);
    ASSERT_EQ(device_->BeginScene(), S_OK);
    ASSERT_EQ(effect_->SetTechnique("Flat"), S_OK);
    ASSERT_EQ(effect_->Begin(nullptr, 0), S_OK);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    DrawQuad();
    // A change after BeginPass takes effect with CommitChanges.
    const D3DXMATRIX full(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const D3DXVECTOR4 red(1, 0, 0, 1);
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    ASSERT_EQ(device_->EndScene(), S_OK);
    EXPECT_EQ(Pixel(kSize / 2, kSize / 2), 0x0000ffu);
    EXPECT_EQ(Pixel(kSize / 4 + 1, kSize / 4 + 1), 0x0000ffu);
    EXPECT_EQ(Pixel(1, 1), 0x000000u);
    EXPECT_EQ(Pixel(kSize - 2, kSize - 2), 0x000000u);

    ASSERT_EQ(device_->BeginScene(), S_OK);
    ASSERT_EQ(effect_->Begin(nullptr, 0), S_OK);
    ASSERT_EQ(effect_->BeginPass(0), S_OK);
    ASSERT_EQ(effect_->SetMatrix("matWVP", &full), S_OK);
    ASSERT_EQ(effect_->SetVector("tint", &red), S_OK);
    ASSERT_EQ(effect_->CommitChanges(), S_OK);
    DrawQuad();
    EXPECT_EQ(effect_->EndPass(), S_OK);
    EXPECT_EQ(effect_->End(), S_OK);
    ASSERT_EQ(device_->EndScene(), S_OK);
    EXPECT_EQ(Pixel(1, 1), 0xff0000u);
    EXPECT_EQ(Pixel(kSize / 2, kSize / 2), 0xff0000u);
}

// Made again from the same text, an effect takes the translation and the
// linked programs of the one before; an edit to the file or to a file it
// includes takes effect at once, and two live effects of one text keep their
// own values.
TEST_F(EffectDevice, EffectsMadeAgainFollowEditsAndLiveCopiesKeepTheirOwnValues) {
    char folder[] = "/tmp/kl_effect_again_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string main = std::string(folder) + "/main.fx";
    const std::string include = std::string(folder) + "/colour.fxh";
    const auto write = [](const std::string& path, const std::string& text) {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    };
    const std::string shaders =
        "struct VOut { float4 pos : POSITION; };\n"
        "VOut VS(float4 p : POSITION) { VOut o; o.pos = p; return o; }\n";
    const std::string technique =
        "technique Flat { pass P0 { VertexShader = compile vs_2_0 VS(); "
        "PixelShader = compile ps_2_0 PS(); CullMode = None; ZEnable = false; } }\n";
    write(main, "#include \"colour.fxh\"\n" + shaders + "float4 PS() : COLOR { return COLOUR; }\n" +
                    technique);
    write(include, "#define COLOUR float4(0, 1, 0, 1)\n");
    const auto drawn = [&](ID3DXEffect* effect) {
        EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0), S_OK);
        EXPECT_EQ(device_->BeginScene(), S_OK);
        EXPECT_EQ(effect->Begin(nullptr, 0), S_OK);
        EXPECT_EQ(effect->BeginPass(0), S_OK);
        DrawQuad();
        EXPECT_EQ(effect->EndPass(), S_OK);
        EXPECT_EQ(effect->End(), S_OK);
        EXPECT_EQ(device_->EndScene(), S_OK);
        return Pixel(kSize / 2, kSize / 2);
    };
    const auto fromFile = [&] {
        ID3DXEffect* effect = nullptr;
        EXPECT_EQ(D3DXCreateEffectFromFileW(device_, Widen(main).c_str(), nullptr, nullptr, 0,
                                            nullptr, &effect, nullptr),
                  S_OK);
        return effect;
    };
    for (DWORD expected : {0x00ff00u, 0x00ff00u}) {
        ID3DXEffect* effect = fromFile();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(drawn(effect), expected);
        effect->Release();
    }
    write(include, "#define COLOUR float4(1, 0, 0, 1)\n");
    ID3DXEffect* edited = fromFile();
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(drawn(edited), 0xff0000u) << "an edited include";
    edited->Release();
    write(main, shaders + "float4 PS() : COLOR { return float4(0, 0, 1, 1); }\n" + technique);
    edited = fromFile();
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(drawn(edited), 0x0000ffu) << "an edited file";
    edited->Release();
    std::remove(include.c_str());
    std::remove(main.c_str());
    rmdir(folder);

    const D3DXMATRIX identity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const D3DXVECTOR4 red(1, 0, 0, 1), blue(0, 0, 1, 1);
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);  // leaves its programs with the device
    effect_->Release();
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    ID3DXEffect* first = effect_;
    effect_ = nullptr;
    ASSERT_EQ(first->SetMatrix("matWVP", &identity), S_OK);
    ASSERT_EQ(first->SetVector("tint", &red), S_OK);
    EXPECT_EQ(drawn(first), 0xff0000u);
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    ASSERT_EQ(effect_->SetMatrix("matWVP", &identity), S_OK);
    ASSERT_EQ(effect_->SetVector("tint", &blue), S_OK);
    EXPECT_EQ(drawn(effect_), 0x0000ffu);
    EXPECT_EQ(drawn(first), 0xff0000u) << "the first copy after the second drew";
    first->Release();
    // A copy made after the first went starts from the file's values, not
    // from what the first had set.
    ID3DXEffect* third = nullptr;
    ASSERT_EQ(D3DXCreateEffect(device_, kFlatColour, sizeof kFlatColour - 1, nullptr, nullptr, 0,
                               nullptr, &third, nullptr),
              S_OK);
    ASSERT_EQ(third->SetMatrix("matWVP", &identity), S_OK);
    EXPECT_EQ(drawn(third), 0x00ff00u);
    third->Release();
}

// The program's frames on an offscreen device: effect draws from a buffer that
// never changes, each with new constants. Only Present ends such a frame;
// were frames not submitted and limited there, every queued frame would keep
// its constants alive and the heap would grow by megabytes per second.
TEST_F(EffectDevice, FramesOfEffectDrawsDoNotPileUpOffscreen) {
    ASSERT_EQ(CreateFromText(kFlatColour), S_OK);
    const QuadVertex quad[] = {
        {-1, -1, 0.5f, 0, 1}, {-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {1, -1, 0.5f, 1, 1}};
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof quad, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_MANAGED,
                                          &buffer, nullptr),
              S_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, quad, sizeof quad);
    buffer->Unlock();
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    device_->SetStreamSource(0, buffer, 0, sizeof(QuadVertex));
    effect_->SetTechnique("Flat");

    const auto heapInUse = [] {
        const struct mallinfo2 heap = mallinfo2();
        return heap.uordblks + heap.hblkhd;
    };
    const auto drawFrames = [&](int frames) {
        for (int frame = 0; frame < frames; ++frame) {
            device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
            device_->BeginScene();
            UINT passes = 0;
            effect_->Begin(&passes, 0);
            for (int draw = 0; draw < 200; ++draw) {
                const float scale = 0.5f + static_cast<float>(draw) / 400.0f;
                const D3DXMATRIX scaled(scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
                effect_->SetMatrix("matWVP", &scaled);
                effect_->BeginPass(0);
                device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
                effect_->EndPass();
            }
            effect_->End();
            device_->EndScene();
            ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), S_OK);
        }
    };
    drawFrames(50);
    const size_t before = heapInUse();
    drawFrames(300);
    const size_t after = heapInUse();
    device_->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
    EXPECT_LT(after, before + (4u << 20)) << "heap grew from " << before << " to " << after;
}

// Effects written as people write them elsewhere, drawn and read back.
class EffectStyles : public EffectDevice {
protected:
    // Runs every pass of the current technique over one draw each.
    void RunPasses(const std::function<void()>& draw) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device_->BeginScene();
        UINT passes = 0;
        ASSERT_EQ(effect_->Begin(&passes, 0), S_OK);
        for (UINT pass = 0; pass < passes; ++pass) {
            ASSERT_EQ(effect_->BeginPass(pass), S_OK);
            draw();
            ASSERT_EQ(effect_->EndPass(), S_OK);
        }
        ASSERT_EQ(effect_->End(), S_OK);
        device_->EndScene();
    }

    // A pretransformed rectangle over the left half of the target, with one
    // diffuse colour and one texture coordinate at every corner.
    void DrawLeftHalfPretransformed(D3DCOLOR diffuse, float u, float v) {
        struct Vertex {
            float x, y, z, rhw;
            D3DCOLOR diffuse;
            float u, v;
        };
        const float h = static_cast<float>(kSize) / 2, full = static_cast<float>(kSize);
        const Vertex quad[] = {{0, 0, 0.5f, 1, diffuse, u, v},
                               {h, 0, 0.5f, 1, diffuse, u, v},
                               {h, full, 0.5f, 1, diffuse, u, v},
                               {0, full, 0.5f, 1, diffuse, u, v}};
        ASSERT_EQ(device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), S_OK);
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), S_OK);
    }

    // A texture one texel high with these colours from left to right.
    IDirect3DTexture9* RowTexture(std::initializer_list<D3DCOLOR> texels) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(static_cast<UINT>(texels.size()), 1, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, &texture, nullptr),
                  S_OK);
        D3DLOCKED_RECT locked{};
        if (!texture || texture->LockRect(0, &locked, nullptr, 0) != S_OK) return texture;
        std::memcpy(locked.pBits, texels.begin(), texels.size() * sizeof(D3DCOLOR));
        texture->UnlockRect(0);
        return texture;
    }

    // Channels of 0x00RRGGBB within one step of the expected 8-bit values.
    static void ExpectColour(DWORD actual, int r, int g, int b) {
        const int channels[3] = {static_cast<int>((actual >> 16) & 0xff),
                                 static_cast<int>((actual >> 8) & 0xff),
                                 static_cast<int>(actual & 0xff)};
        const int expected[3] = {r, g, b};
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(channels[i], expected[i], 1)
                << "channel " << i << " of " << std::hex << actual;
    }
};

// Passes with one shader draw with the other stage the device has at draw
// time, as Direct3D's separate shader states do.
// Only a pixel shader: the fixed-function vertex stage places pretransformed
// vertices by pixel and hands on their diffuse colour and texture coordinate.
// Diffuse 0xff336699 is (0.2, 0.4, 0.6); the shader returns (b, u, v).
TEST_F(EffectStyles, PixelShaderAloneDrawsPretransformedVertices) {
    ASSERT_EQ(CreateFromText(R"(
float4 PS(float4 c : COLOR0, float2 uv : TEXCOORD0) : COLOR { return float4(c.b, uv.x, uv.y, 1); }
technique T { pass { PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    RunPasses([&] { DrawLeftHalfPretransformed(0xff336699, 0.25f, 0.75f); });
    ExpectColour(Pixel(kSize / 4, kSize / 2), 153, 64, 191);
    EXPECT_EQ(Pixel(kSize * 3 / 4, kSize / 2), 0x000000u);
}

// `PixelShader = NULL`: the vertex shader's COLOR0 reaches the
// fixed-function pixel stage, which outputs it (no texture is set).
TEST_F(EffectStyles, NullPixelShaderOutputsTheVertexColour) {
    ASSERT_EQ(CreateFromText(R"(
float4 tint = {1, 0.5, 0, 1};
void VS(float4 p : POSITION, out float4 pos : POSITION, out float4 c : COLOR0) { pos = p; c = tint; }
technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = NULL; ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    RunPasses([&] { DrawQuad(); });
    ExpectColour(Pixel(kSize / 2, kSize / 2), 255, 128, 0);
    ExpectColour(Pixel(1, 1), 255, 128, 0);
}

// The second pass sets only a pixel shader and so draws with the vertex
// shader the first pass left: the half-size quad of matWVP, blue over the
// first pass's green, corners left black. Were the fixed-function vertex
// stage used, the whole target would turn blue.
TEST_F(EffectStyles, LaterPassKeepsTheVertexShaderAnEarlierPassSet) {
    ASSERT_EQ(CreateFromText(R"(
float4x4 matWVP;
float4 VS(float4 p : POSITION) : POSITION { return mul(p, matWVP); }
float4 Green() : COLOR { return float4(0, 1, 0, 1); }
float4 Blue() : COLOR { return float4(0, 0, 1, 1); }
technique T {
    pass First { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green(); ZEnable = false; CullMode = None; }
    pass Second { PixelShader = compile ps_2_0 Blue(); }
}
)"),
              S_OK);
    const D3DXMATRIX half(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    ASSERT_EQ(effect_->SetMatrix("matWVP", &half), S_OK);
    RunPasses([&] { DrawQuad(); });
    EXPECT_EQ(Pixel(kSize / 2, kSize / 2), 0x0000ffu);
    EXPECT_EQ(Pixel(1, 1), 0x000000u);
    EXPECT_EQ(Pixel(kSize - 2, kSize - 2), 0x000000u);
    // End gave the stages back: a plain fixed-function draw is white.
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    DrawLeftHalfPretransformed(0xffffffff, 0, 0);
    device_->EndScene();
    EXPECT_EQ(Pixel(1, 1), 0xffffffu);
}

// An untyped `sampler` handed to a sampler1D parameter, and tex1D and
// tex1Dlod reading a four-texel ramp (point filtered) across the target:
// pixel column x samples u = (x + 0.5) / 32, texel floor(4u).
TEST_F(EffectStyles, UntypedSamplersAndOneDimensionalFetches) {
    ASSERT_EQ(CreateFromText(R"(
texture rampTexture;
sampler ramp = sampler_state { Texture = <rampTexture>; MinFilter = Point; MagFilter = Point; MipFilter = None; AddressU = Clamp; };
float4 Lookup(sampler1D s, float u) { return tex1D(s, u); }
float4 VS(float4 p : POSITION, inout float2 uv : TEXCOORD0) : POSITION { return p; }
float4 PS(float2 uv : TEXCOORD0) : COLOR { return uv.y < 0.5 ? Lookup(ramp, uv.x) : tex1Dlod(ramp, float4(uv.x, 0, 0, 0)); }
technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    IDirect3DTexture9* ramp = RowTexture({0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff});
    ASSERT_EQ(effect_->SetTexture("rampTexture", ramp), S_OK);
    RunPasses([&] { DrawQuad(); });
    for (UINT y : {4u, 28u}) {
        EXPECT_EQ(Pixel(2, y), 0xff0000u) << "row " << y;
        EXPECT_EQ(Pixel(12, y), 0x00ff00u) << "row " << y;
        EXPECT_EQ(Pixel(20, y), 0x0000ffu) << "row " << y;
        EXPECT_EQ(Pixel(29, y), 0xffffffu) << "row " << y;
    }
    effect_->SetTexture("rampTexture", nullptr);
    ramp->Release();
}

// A vs_3_0 vertex shader reads a texture through the first vertex sampler;
// here a one-texel texture gives every vertex the colour 0x336699.
TEST_F(EffectStyles, VertexShadersReadTexturesThroughVertexSamplers) {
    ASSERT_EQ(CreateFromText(R"(
texture heightTexture;
sampler heights = sampler_state { Texture = <heightTexture>; MinFilter = Point; MagFilter = Point; MipFilter = None; };
struct VOut { float4 pos : POSITION; float4 c : COLOR0; };
VOut VS(float4 p : POSITION, float2 uv : TEXCOORD0) { VOut o; o.pos = p; o.c = tex2Dlod(heights, float4(uv, 0, 0)); return o; }
float4 PS(float4 c : COLOR0) : COLOR { return c; }
technique T { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    IDirect3DTexture9* texture = RowTexture({0xff336699});
    ASSERT_EQ(effect_->SetTexture("heightTexture", texture), S_OK);
    RunPasses([&] {
        IDirect3DBaseTexture9* bound = nullptr;
        EXPECT_EQ(device_->GetTexture(D3DVERTEXTEXTURESAMPLER0, &bound), S_OK);
        EXPECT_EQ(bound, texture);
        if (bound) bound->Release();
        DrawQuad();
    });
    ExpectColour(Pixel(kSize / 2, kSize / 2), 0x33, 0x66, 0x99);
    IDirect3DBaseTexture9* after = nullptr;
    EXPECT_EQ(device_->GetTexture(D3DVERTEXTEXTURESAMPLER0, &after), S_OK);
    EXPECT_EQ(after, nullptr) << "End restores the vertex sampler";
    EXPECT_EQ(device_->SetTexture(D3DVERTEXTEXTURESAMPLER3 + 1, texture), D3DERR_INVALIDCALL);
    effect_->SetTexture("heightTexture", nullptr);
    texture->Release();
}

// Each element of a sampler array that the shader reads takes a stage of its
// own, with its own state block's texture and states; a register-bound array
// starts at its register. Solid textures: layers[2] blue at half, layers[0]
// red at a quarter, fixedPair[1] (stage 7, set by the pass) green.
TEST_F(EffectStyles, SamplerArrayElementsBindTheirOwnStages) {
    ASSERT_EQ(CreateFromText(R"(
texture redTexture;
texture greenTexture;
texture blueTexture;
sampler2D layers[3] = {
    sampler_state { Texture = <redTexture>; MinFilter = Point; MagFilter = Point; },
    sampler_state { Texture = <greenTexture>; },
    sampler_state { Texture = <blueTexture>; AddressU = Mirror; }
};
sampler2D fixedPair[2] : register(s6);
static const int TOP = 2;
float4 VS(float4 p : POSITION, inout float2 uv : TEXCOORD0) : POSITION { return p; }
float4 PS(float2 uv : TEXCOORD0) : COLOR {
    return tex2D(layers[TOP], uv) * 0.5 + tex2D(layers[0], uv) * 0.25 + tex2D(fixedPair[1], uv);
}
technique T { pass { Texture[7] = <greenTexture>; VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    IDirect3DTexture9* red = RowTexture({0xffff0000});
    IDirect3DTexture9* green = RowTexture({0xff00ff00});
    IDirect3DTexture9* blue = RowTexture({0xff0000ff});
    ASSERT_EQ(effect_->SetTexture("redTexture", red), S_OK);
    ASSERT_EQ(effect_->SetTexture("greenTexture", green), S_OK);
    ASSERT_EQ(effect_->SetTexture("blueTexture", blue), S_OK);
    D3DXPARAMETER_DESC desc{};
    ASSERT_EQ(effect_->GetParameterDesc("layers", &desc), S_OK);
    EXPECT_EQ(desc.Class, D3DXPC_OBJECT);
    EXPECT_EQ(desc.Type, D3DXPT_SAMPLER2D);
    EXPECT_EQ(desc.Elements, 3u);
    RunPasses([&] {
        const std::pair<DWORD, IDirect3DTexture9*> stages[] = {{0, blue}, {1, red}, {7, green}};
        for (const auto& [stage, texture] : stages) {
            IDirect3DBaseTexture9* bound = nullptr;
            EXPECT_EQ(device_->GetTexture(stage, &bound), S_OK);
            EXPECT_EQ(bound, texture) << "stage " << stage;
            if (bound) bound->Release();
        }
        DWORD value = 0;
        EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &value), S_OK);
        EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_MIRROR));
        EXPECT_EQ(device_->GetSamplerState(1, D3DSAMP_MINFILTER, &value), S_OK);
        EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_POINT));
        DrawQuad();
    });
    ExpectColour(Pixel(kSize / 2, kSize / 2), 64, 255, 128);
    // Another texture for the third block's texture lands on its stage.
    ASSERT_EQ(effect_->SetTexture("blueTexture", red), S_OK);
    RunPasses([&] { DrawQuad(); });
    ExpectColour(Pixel(kSize / 2, kSize / 2), 191, 255, 0);
    for (const char* name : {"redTexture", "greenTexture", "blueTexture"})
        effect_->SetTexture(name, nullptr);
    red->Release();
    green->Release();
    blue->Release();
}

// An array of arrays is one parameter of outer-count elements, each an array
// of its own; whole-parameter setters fill it row by row. The shader returns
// weights[row][col] with both indices uniforms.
TEST_F(EffectStyles, ArraysOfArraysTakeValuesRowByRowAndByElement) {
    ASSERT_EQ(CreateFromText(R"(
float4 weights[3][2];
int row;
int col;
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR { return weights[row][col]; }
technique T { pass { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None; } }
)"),
              S_OK);
    D3DXPARAMETER_DESC desc{};
    ASSERT_EQ(effect_->GetParameterDesc("weights", &desc), S_OK);
    EXPECT_STREQ(desc.Name, "weights");
    EXPECT_EQ(desc.Class, D3DXPC_VECTOR);
    EXPECT_EQ(desc.Type, D3DXPT_FLOAT);
    EXPECT_EQ(desc.Rows, 1u);
    EXPECT_EQ(desc.Columns, 4u);
    EXPECT_EQ(desc.Elements, 3u);
    EXPECT_EQ(desc.Bytes, 96u);
    const D3DXHANDLE second = effect_->GetParameterElement("weights", 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(effect_->GetParameterElement("weights", 1), second);
    EXPECT_EQ(effect_->GetParameterElement("weights", 3), nullptr);
    ASSERT_EQ(effect_->GetParameterDesc(second, &desc), S_OK);
    EXPECT_EQ(desc.Elements, 2u);
    EXPECT_EQ(desc.Bytes, 32u);
    const D3DXHANDLE secondFirst = effect_->GetParameterElement(second, 0);
    ASSERT_NE(secondFirst, nullptr);
    ASSERT_EQ(effect_->GetParameterDesc(secondFirst, &desc), S_OK);
    EXPECT_EQ(desc.Elements, 0u);
    EXPECT_EQ(effect_->GetParameterElement(secondFirst, 0), nullptr);

    // weights[i][j] is vector 2i + j: (0.1 e, 0.2, 1 - 0.1 e, 1).
    D3DXVECTOR4 vectors[6];
    for (int e = 0; e < 6; ++e) vectors[e] = D3DXVECTOR4(0.1f * e, 0.2f, 1 - 0.1f * e, 1);
    ASSERT_EQ(effect_->SetVectorArray("weights", vectors, 6), S_OK);
    const auto drawn = [&](int r, int c) {
        EXPECT_EQ(effect_->SetInt("row", r), S_OK);
        EXPECT_EQ(effect_->SetInt("col", c), S_OK);
        RunPasses([&] { DrawQuad(); });
        return Pixel(kSize / 2, kSize / 2);
    };
    ExpectColour(drawn(2, 1), 128, 51, 128);
    ExpectColour(drawn(0, 1), 26, 51, 230);
    // An element's handle addresses its own run of the values.
    const D3DXVECTOR4 white(1, 1, 1, 1);
    ASSERT_EQ(effect_->SetVector(effect_->GetParameterElement(second, 1), &white), S_OK);
    ExpectColour(drawn(1, 1), 255, 255, 255);
    const float secondRow[8] = {0, 0, 1, 1, 1, 0, 0, 1};
    ASSERT_EQ(effect_->SetFloatArray(second, secondRow, 8), S_OK);
    ExpectColour(drawn(1, 0), 0, 0, 255);
    ExpectColour(drawn(1, 1), 255, 0, 0);
    float all[24] = {};
    ASSERT_EQ(effect_->GetFloatArray("weights", all, 24), S_OK);
    EXPECT_FLOAT_EQ(all[8 + 2], 1.0f);  // weights[1][0].z
    EXPECT_FLOAT_EQ(all[4 * 5], 0.5f);  // weights[2][1].x untouched
    // SetValue fills the whole parameter in the same order.
    for (int i = 0; i < 24; ++i) all[i] = i % 4 == 1 ? 1.0f : 0.0f;
    ASSERT_EQ(effect_->SetValue("weights", all, sizeof all), S_OK);
    ExpectColour(drawn(2, 0), 0, 255, 0);
}

// Texture[n], Sampler[n] and indexed sampler states in a pass feed the stages
// that register-bound shader samplers read: s0 sees a solid 0x40 red, s1 the
// ramp through its sampler_state. Each pixel is s0 + s1 / 2.
TEST_F(EffectStyles, PassStatesSetTheStagesOfRegisterBoundSamplers) {
    ASSERT_EQ(CreateFromText(R"(
texture solidTexture;
texture rampTexture;
sampler ramp = sampler_state { Texture = <rampTexture>; MinFilter = Point; MagFilter = Point; MipFilter = None; AddressU = Clamp; };
sampler2D s0 : register(s0);
sampler2D s1 : register(s1);
float4 VS(float4 p : POSITION, inout float2 uv : TEXCOORD0) : POSITION { return p; }
float4 PS(float2 uv : TEXCOORD0) : COLOR { return tex2D(s1, uv) * 0.5 + tex2D(s0, uv); }
technique T {
    pass {
        Texture[0] = <solidTexture>; MinFilter[0] = Linear; MagFilter[0] = Linear;
        Sampler[1] = (ramp);
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); ZEnable = false; CullMode = None;
    }
}
)"),
              S_OK);
    IDirect3DTexture9* solid = RowTexture({0xff400000});
    IDirect3DTexture9* ramp = RowTexture({0xff0000ff, 0xff00ff00, 0xffff0000, 0xffffffff});
    ASSERT_EQ(effect_->SetTexture("solidTexture", solid), S_OK);
    ASSERT_EQ(effect_->SetTexture("rampTexture", ramp), S_OK);
    RunPasses([&] { DrawQuad(); });
    ExpectColour(Pixel(2, 16), 64, 0, 128);
    ExpectColour(Pixel(12, 16), 64, 128, 0);
    ExpectColour(Pixel(20, 16), 192, 0, 0);
    DWORD filter = 0;
    EXPECT_EQ(device_->GetSamplerState(0, D3DSAMP_MINFILTER, &filter), S_OK);
    EXPECT_EQ(filter, static_cast<DWORD>(D3DTEXF_POINT)) << "End restores stage 0";
    effect_->Release();
    effect_ = nullptr;
    solid->Release();
    ramp->Release();

    LPD3DXBUFFER errors = nullptr;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateFromText("float4 x;\ntechnique T { pass { Texture[0] = <x>; } }", &errors),
              E_FAIL);
    testing::internal::GetCapturedStderr();
    ASSERT_NE(errors, nullptr);
    EXPECT_STREQ(static_cast<const char*>(errors->GetBufferPointer()),
                 "<memory>(2,22): Texture needs a texture parameter");
    errors->Release();
}

}  // namespace
