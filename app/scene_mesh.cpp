#include "app/scene_mesh.h"

#include <new>

#include "app/scene_file.h"
#include "app/texture_paths.h"

namespace {

// Releases the materials buffer on every way out of SceneMesh::Load.
class MaterialsBuffer {
public:
    ~MaterialsBuffer() {
        if (buffer_ != nullptr) buffer_->Release();
    }
    ID3DXBuffer** Out() { return &buffer_; }
    const D3DXMATERIAL* Materials() const {
        return buffer_ == nullptr ? nullptr
                                  : static_cast<const D3DXMATERIAL*>(buffer_->GetBufferPointer());
    }

private:
    ID3DXBuffer* buffer_ = nullptr;
};

// Loads one texture slot from its path, or from textures\none.bmp when no file
// is there. A file this mesh already loaded is shared (one more reference),
// so a mesh whose thousands of materials name one texture holds it once.
HRESULT LoadTextureSlot(IDirect3DDevice9* device, const std::wstring& path,
                        std::map<std::wstring, IDirect3DTexture9*>& loaded,
                        IDirect3DTexture9** slot) {
    const std::wstring source = FileExistsAt(path.c_str()) ? path : kNoneTexturePath;
    const auto found = loaded.find(source);
    if (found != loaded.end()) {
        found->second->AddRef();
        *slot = found->second;
        return S_OK;
    }
    const HRESULT hr = D3DXCreateTextureFromFileW(device, source.c_str(), slot);
    if (SUCCEEDED(hr)) loaded.emplace(source, *slot);
    return hr;
}

constexpr float kFieldOfView = D3DX_PI / 4.0f;
constexpr float kNearPlane = 10.0f;
constexpr float kFarPlane = 1000.0f;

}  // namespace

HRESULT SceneMesh::Load(IDirect3DDevice9* device, const wchar_t* path) {
    if (!FileExistsAt(path)) return D3DERR_NOTFOUND;

    MaterialsBuffer materials;
    DWORD count = 0;
    HRESULT hr = D3DXLoadMeshFromXW(path, D3DXMESH_MANAGED, device, nullptr, materials.Out(),
                                    nullptr, &count, &mesh);
    if (FAILED(hr)) return hr;

    D3DXComputeNormals(mesh, nullptr);
    D3DXComputeTangent(mesh, 0, 0, 0, 0, nullptr);

    // Every slot starts absent, so a load that stops part way leaves a table
    // that Release can walk whole.
    textures = new (std::nothrow) IDirect3DTexture9*[size_t{count} * kSlotsPerMaterial]();
    if (textures == nullptr) return E_OUTOFMEMORY;
    materialCount = count;

    const D3DXMATERIAL* entries = materials.Materials();
    LoadedTextures loadedTextures;
    for (DWORD i = 0; i < count; ++i) {
        const char* name = entries == nullptr ? nullptr : entries[i].pTextureFilename;
        if (name == nullptr) continue;
        hr = LoadMaterialTextures(device, i, name, loadedTextures);
        if (FAILED(hr)) return hr;
    }
    loaded = true;
    return S_OK;
}

HRESULT SceneMesh::LoadMaterialTextures(IDirect3DDevice9* device, DWORD material, const char* name,
                                        LoadedTextures& loadedTextures) {
    TexturePaths paths;
    HRESULT hr = ComposeTexturePaths(name, &paths);
    if (FAILED(hr)) return hr;

    IDirect3DTexture9** slots = textures + material * kSlotsPerMaterial;
    hr = LoadTextureSlot(device, paths.diffuse, loadedTextures, &slots[kDiffuseSlot]);
    if (SUCCEEDED(hr))
        hr = LoadTextureSlot(device, paths.alpha, loadedTextures, &slots[kAlphaSlot]);
    if (SUCCEEDED(hr)) hr = LoadTextureSlot(device, paths.bump, loadedTextures, &slots[kBumpSlot]);
    if (SUCCEEDED(hr))
        hr = LoadTextureSlot(device, paths.specular, loadedTextures, &slots[kSpecularSlot]);
    return hr;
}

HRESULT SceneMesh::UpdateTransforms(IDirect3DDevice9* device, const D3DXVECTOR3& origin,
                                    const D3DXMATRIX& cameraMatrix, float aspectRatio) {
    if (!loaded) return E_FAIL;
    D3DXMatrixTranslation(&world, origin.x, origin.y, origin.z);
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspectRatio, kNearPlane, kFarPlane);
    D3DXMatrixInverse(&view, nullptr, &cameraMatrix);
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &world, &view);
    D3DXMatrixMultiply(&worldViewProjection, &worldView, &projection);
    return S_OK;
}

HRESULT SceneMesh::Draw(IDirect3DDevice9* device, ID3DXEffect* effect, D3DXHANDLE technique) {
    if (!loaded) return E_FAIL;

    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAREF, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00202020);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

    effect->SetMatrix("matWVP", &worldViewProjection);
    effect->SetMatrix("matW", &world);
    effect->SetMatrix("matV", &view);
    effect->SetMatrix("matP", &projection);

    // Every technique of the effect draws a mesh in its first pass.
    UINT passes = 0;
    effect->SetTechnique(technique);
    effect->Begin(&passes, 0);
    for (DWORD i = 0; i < materialCount; ++i) {
        effect->SetTexture("m_TexAlfa", Texture(i, kAlphaSlot));
        effect->SetTexture("m_TexBump", Texture(i, kBumpSlot));
        effect->SetTexture("m_TexDiffuse", Texture(i, kDiffuseSlot));
        effect->SetTexture("m_TexSpecular", Texture(i, kSpecularSlot));
        effect->BeginPass(0);
        const HRESULT hr = mesh->DrawSubset(i);
        effect->EndPass();
        if (FAILED(hr)) {
            effect->End();
            return hr;
        }
    }
    effect->End();
    return S_OK;
}

void SceneMesh::Release() {
    if (textures != nullptr) {
        for (DWORD i = 0; i < materialCount; ++i) {
            for (DWORD slot = 0; slot < kSlotsPerMaterial; ++slot) {
                IDirect3DTexture9*& texture = textures[i * kSlotsPerMaterial + slot];
                if (texture != nullptr) texture->Release();
                texture = nullptr;
            }
        }
        delete[] textures;
        textures = nullptr;
    }
    if (mesh != nullptr) {
        mesh->Release();
        mesh = nullptr;
    }
    loaded = false;
    materialCount = 0;
}
