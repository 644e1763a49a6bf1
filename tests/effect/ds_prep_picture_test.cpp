// DS_prep.fx on the headless device: a camera-facing quad of known albedo,
// flat normal and no specular, lit by one sun, gives the value worked out by
// hand at its centre, both classically and through the geometry buffer
// (encode, copy into the targets, decode), and the two agree.
#include <gtest/gtest.h>

#include <d3dx9.h>
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "headless_device.h"

namespace {

constexpr UINT kSize = 32;

struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    float tx, ty, tz;
};

struct ScreenVertex {
    float x, y, z, u, v;
};

class DsPrepPicture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(headless_.Create(kSize, kSize));
        device_ = headless_.device;
        const char* root = KESTRALUNE_SOURCE_DIR;
        const std::string path = std::string(root) + "/shaders/DS_prep.fx";
        const std::wstring wide(path.begin(), path.end());
        ASSERT_EQ(D3DXCreateEffectFromFileW(device_, wide.c_str(), nullptr, nullptr, 0, nullptr,
                                            &effect_, nullptr),
                  S_OK);
        albedo_ = SolidTexture(0xffc86432);    // (200, 100, 50)
        coverage_ = SolidTexture(0xffffffff);  // opaque
        bump_ = SolidTexture(0xff808080);      // grey: no bump
        specular_ = SolidTexture(0xff000000);  // no highlight
        const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
            {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            {0, 32, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
            D3DDECL_END()};
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration_), S_OK);
    }

    void TearDown() override {
        for (IUnknown* o : std::initializer_list<IUnknown*>{declaration_, albedo_, coverage_, bump_,
                                                            specular_, effect_})
            if (o) o->Release();
        for (IDirect3DTexture9* t : targets_)
            if (t) t->Release();
        headless_.Release();
    }

    IDirect3DTexture9* SolidTexture(DWORD argb) {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
                  S_OK);
        D3DLOCKED_RECT locked{};
        if (t && t->LockRect(0, &locked, nullptr, 0) == S_OK) {
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4,
                                &argb, 4);
            t->UnlockRect(0);
        }
        return t;
    }

    void SetCameraAndSun() {
        D3DXMATRIX world, view, projection, worldViewProjection;
        D3DXMatrixTranslation(&world, 0, 0, 0);
        D3DXMatrixTranslation(&view, 0, 0, 100);  // camera at (0, 0, -100) looking along +z
        D3DXMatrixPerspectiveFovLH(&projection, 0.785398163f, 1.0f, 10.0f, 1000.0f);
        D3DXMatrixMultiply(&worldViewProjection, &world, &view);
        D3DXMatrixMultiply(&worldViewProjection, &worldViewProjection, &projection);
        effect_->SetMatrix("matWVP", &worldViewProjection);
        effect_->SetMatrix("matW", &world);
        effect_->SetMatrix("matV", &view);
        effect_->SetMatrix("matP", &projection);
        D3DXMATRIX inverseProjection;
        D3DXMatrixInverse(&inverseProjection, nullptr, &projection);
        effect_->SetMatrix("matInvP", &inverseProjection);
        // A sun shining along (0, -1, 1): on the quad's normal (0, 0, -1) the
        // cosine is 1/sqrt(2).
        const D3DXVECTOR4 colour(1, 1, 1, 1), position(0, 0, 0, 1), direction(0, -1, 1, 1);
        effect_->SetVector("l_colAmbient", &colour);
        effect_->SetVector("l_pos", &position);
        effect_->SetVector("l_dir", &direction);
        effect_->SetFloat("l_radius", 0.0f);
    }

    // The mesh draw's protocol: its states, the technique, the four maps.
    void DrawQuadMesh(const char* technique) {
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device_->SetRenderState(D3DRS_ALPHAREF, 1);
        device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        SetCameraAndSun();
        ASSERT_EQ(effect_->SetTechnique(technique), S_OK);
        ASSERT_EQ(effect_->Begin(nullptr, 0), S_OK);
        effect_->SetTexture("m_TexAlfa", coverage_);
        effect_->SetTexture("m_TexBump", bump_);
        effect_->SetTexture("m_TexDiffuse", albedo_);
        effect_->SetTexture("m_TexSpecular", specular_);
        ASSERT_EQ(effect_->BeginPass(0), S_OK);
        // 100 x 100 at z = 0, wider than the view at that depth; clockwise.
        const MeshVertex quad[] = {{-50, -50, 0, 0, 0, -1, 0, 1, 1, 0, 0},
                                   {-50, 50, 0, 0, 0, -1, 0, 0, 1, 0, 0},
                                   {50, 50, 0, 0, 0, -1, 1, 0, 1, 0, 0},
                                   {50, -50, 0, 0, 0, -1, 1, 1, 1, 0, 0}};
        device_->SetVertexDeclaration(declaration_);
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(MeshVertex)), S_OK);
        EXPECT_EQ(effect_->EndPass(), S_OK);
        EXPECT_EQ(effect_->End(), S_OK);
    }

    void CopyBackBufferInto(IDirect3DTexture9* target) {
        IDirect3DSurface9* back = nullptr;
        IDirect3DSurface9* surface = nullptr;
        ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        ASSERT_EQ(target->GetSurfaceLevel(0, &surface), S_OK);
        EXPECT_EQ(device_->StretchRect(back, nullptr, surface, nullptr, D3DTEXF_LINEAR), S_OK);
        surface->Release();
        back->Release();
    }

    DWORD CentrePixel() { return BackBufferPixel(kSize / 2, kSize / 2); }

    DWORD BackBufferPixel(UINT x, UINT y) { return kl::test::RenderTargetPixel(device_, x, y); }

    DWORD RenderClassic() {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        device_->BeginScene();
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        DrawQuadMesh("RenderClassicSun");
        device_->EndScene();
        return CentrePixel();
    }

    DWORD RenderDeferred() {
        const char* channels[] = {"RenderDiffuseToTexture", "RenderNormalToTexture",
                                  "RenderSpecularToTexture", "RenderPositionToTexture"};
        const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8,
                                     D3DFMT_A8B8G8R8};
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(device_->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, formats[i],
                                             D3DPOOL_DEFAULT, &targets_[i], nullptr),
                      S_OK);
            device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
            device_->BeginScene();
            DrawQuadMesh(channels[i]);
            device_->EndScene();
            CopyBackBufferInto(targets_[i]);
        }
        // The lighting quad as the renderer draws light 0.
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 0.0f, 0);
        device_->BeginScene();
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        EXPECT_EQ(effect_->SetTechnique("RenderDSSun"), S_OK);
        SetCameraAndSun();
        D3DXMATRIX identity;
        D3DXMatrixTranslation(&identity, 0, 0, 0);
        effect_->SetMatrix("matWVP", &identity);
        effect_->SetTexture("m_TexAlfa", targets_[3]);
        effect_->SetTexture("m_TexBump", targets_[1]);
        effect_->SetTexture("m_TexDiffuse", targets_[0]);
        effect_->SetTexture("m_TexSpecular", targets_[2]);
        EXPECT_EQ(effect_->Begin(nullptr, 0), S_OK);
        EXPECT_EQ(effect_->BeginPass(0), S_OK);
        const ScreenVertex quad[] = {
            {-1, -1, 1, 0, 1}, {-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}};
        device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
        EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), S_OK);
        EXPECT_EQ(effect_->EndPass(), S_OK);
        EXPECT_EQ(effect_->End(), S_OK);
        device_->EndScene();
        for (IDirect3DTexture9*& t : targets_) {
            effect_->SetTexture("m_TexAlfa", nullptr);
            effect_->SetTexture("m_TexBump", nullptr);
            effect_->SetTexture("m_TexDiffuse", nullptr);
            effect_->SetTexture("m_TexSpecular", nullptr);
            t->Release();
            t = nullptr;
        }
        return CentrePixel();
    }

    kl::test::HeadlessDevice headless_;
    IDirect3DDevice9* device_ = nullptr;
    ID3DXEffect* effect_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DTexture9* albedo_ = nullptr;
    IDirect3DTexture9* coverage_ = nullptr;
    IDirect3DTexture9* bump_ = nullptr;
    IDirect3DTexture9* specular_ = nullptr;
    IDirect3DTexture9* targets_[4] = {};
};

int Channel(DWORD colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xff);
}

// 200, 100 and 50 times cos 45 degrees: 141.4, 70.7, 35.4.
void ExpectSunLitAlbedo(DWORD colour) {
    EXPECT_NEAR(Channel(colour, 16), 141, 2);
    EXPECT_NEAR(Channel(colour, 8), 71, 2);
    EXPECT_NEAR(Channel(colour, 0), 35, 2);
}

// The position channel of the quad, 100 units in front of the camera,
// decodes to 100 within 0.1 everywhere; uncovered pixels would read 0.
TEST_F(DsPrepPicture, PositionChannelHoldsTheViewDepth) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    DrawQuadMesh("RenderPositionToTexture");
    device_->EndScene();
    for (UINT y : {1u, kSize / 3, kSize - 2}) {
        for (UINT x : {1u, kSize / 2, kSize - 2}) {
            const DWORD code = BackBufferPixel(x, y) & 0x00ffffff;
            EXPECT_NEAR(code / 16777215.0 * 1000.0, 100.0, 0.1) << x << "," << y;
        }
    }
}

TEST_F(DsPrepPicture, ClassicSunLightsTheQuadCentre) {
    ExpectSunLitAlbedo(RenderClassic());
}

TEST_F(DsPrepPicture, DeferredSunLightsTheQuadCentreAndAgreesWithClassic) {
    const DWORD deferred = RenderDeferred();
    ExpectSunLitAlbedo(deferred);
    const DWORD classic = RenderClassic();
    for (int shift : {16, 8, 0}) EXPECT_NEAR(Channel(deferred, shift), Channel(classic, shift), 1);
}

}  // namespace
