// D3DXCreateEffectFromFileW and D3DXCreateEffect: read, compile, link.
// Every failure prints one line to standard error and, when asked, returns
// the same line in the errors buffer.
#include "common/paths.h"
#include "d3d9/device_bridge.h"
#include "effect_compiler.h"
#include "effect_files.h"
#include "effect_message_buffer.h"
#include "effect_object.h"

#include <d3dx9.h>

#include <cstdio>
#include <new>

namespace {

using kl::d3dx9::CreateMessageBuffer;

void Report(const std::string& message, LPD3DXBUFFER* ppErrors) {
    std::fprintf(stderr, "%s\n", message.c_str());
    if (ppErrors) *ppErrors = CreateMessageBuffer(message);
}

kl::hlsl::IncludeReader MakeIncludeReader(LPD3DXINCLUDE include) {
    return [include](const std::string& includer, const std::string& name, std::string& resolved,
                     std::string& contents) {
        if (include) {
            LPCVOID data = nullptr;
            UINT bytes = 0;
            if (FAILED(include->Open(D3DXINC_LOCAL, name.c_str(), nullptr, &data, &bytes)) || !data)
                return false;
            contents.assign(static_cast<const char*>(data), bytes);
            include->Close(data);
            resolved = name;
            return true;
        }
        resolved = kl::platform::ResolvePlatformPathUtf8(kl::d3dx9::DirectoryOf(includer) + name);
        return kl::d3dx9::ReadWholeFile(resolved, contents);
    };
}

HRESULT CreateFromText(LPDIRECT3DDEVICE9 device, const std::string& path, const std::string& text,
                       const D3DXMACRO* defines, LPD3DXINCLUDE include, LPD3DXEFFECTPOOL pool,
                       LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppErrors) {
    if (pool) {
        Report(path + ": effect pools are not supported", ppErrors);
        return E_NOTIMPL;
    }
    kl::hlsl::CompileOptions options;
    for (const D3DXMACRO* d = defines; d && d->Name; ++d)
        options.preprocess.defines.emplace_back(d->Name, d->Definition ? d->Definition : "");
    options.preprocess.includeReader = MakeIncludeReader(include);
    options.prologues.vertex = kl::d3d9::kVertexPrologueGlsl;
    options.prologues.fragment = kl::d3d9::kFragmentPrologueGlsl;
    kl::hlsl::CompiledEffect compiled;
    try {
        compiled = kl::hlsl::CompileEffect(path, text, options);
    } catch (const kl::hlsl::CompileError& error) {
        Report(error.what(), ppErrors);
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        Report(path + ": out of memory", ppErrors);
        return E_OUTOFMEMORY;
    }
    std::string error;
    kl::d3dx9::Effect* effect = kl::d3dx9::Effect::Create(device, std::move(compiled), error);
    if (!effect) {
        Report(error, ppErrors);
        return E_FAIL;
    }
    *ppEffect = effect;
    return D3D_OK;
}

}  // namespace

extern "C" HRESULT WINAPI D3DXCreateEffectFromFileW(LPDIRECT3DDEVICE9 pDevice, LPCWSTR pSrcFile,
                                                    const D3DXMACRO* pDefines,
                                                    LPD3DXINCLUDE pInclude, DWORD Flags,
                                                    LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                                    LPD3DXBUFFER* ppCompilationErrors) {
    if (ppEffect) *ppEffect = nullptr;
    if (ppCompilationErrors) *ppCompilationErrors = nullptr;
    if (!pDevice || !pSrcFile || !ppEffect) return D3DERR_INVALIDCALL;
    const std::string path = kl::platform::ResolvePlatformPath(pSrcFile);
    std::string text;
    if (!kl::d3dx9::ReadWholeFile(path, text)) {
        Report(path + ": cannot open effect file", ppCompilationErrors);
        return D3DERR_NOTFOUND;
    }
    return CreateFromText(pDevice, path, text, pDefines, pInclude, pPool, ppEffect,
                          ppCompilationErrors);
}

extern "C" HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 pDevice, LPCVOID pSrcData,
                                           UINT SrcDataLen, const D3DXMACRO* pDefines,
                                           LPD3DXINCLUDE pInclude, DWORD Flags,
                                           LPD3DXEFFECTPOOL pPool, LPD3DXEFFECT* ppEffect,
                                           LPD3DXBUFFER* ppCompilationErrors) {
    if (ppEffect) *ppEffect = nullptr;
    if (ppCompilationErrors) *ppCompilationErrors = nullptr;
    if (!pDevice || !pSrcData || !ppEffect) return D3DERR_INVALIDCALL;
    const std::string text(static_cast<const char*>(pSrcData), SrcDataLen);
    return CreateFromText(pDevice, "<memory>", text, pDefines, pInclude, pPool, ppEffect,
                          ppCompilationErrors);
}
