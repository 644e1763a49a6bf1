// D3DXCreateEffectFromFileW and D3DXCreateEffect: read, compile, link.
// Every failure prints one line to standard error and, when asked, returns
// the same line in the errors buffer.
#include "common/paths.h"
#include "d3d9/device_bridge.h"
#include "d3dx9/core/out_of_memory.h"
#include "d3dx9/effect/effect_compiler.h"
#include "d3dx9/effect/effect_files.h"
#include "d3dx9/effect/effect_message_buffer.h"
#include "d3dx9/effect/effect_object.h"

#include <d3dx9.h>

#include <cstdio>
#include <list>
#include <mutex>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

using kl::d3dx9::CreateMessageBuffer;

void Report(const std::string& message, LPD3DXBUFFER* ppErrors) {
    std::fprintf(stderr, "%s\n", message.c_str());
    if (ppErrors) *ppErrors = CreateMessageBuffer(message);
}

kl::d3dx9::hlsl::IncludeReader MakeIncludeReader(LPD3DXINCLUDE include) {
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

// Translations already made, so that an effect made again from an unchanged
// file (as at every device reset) is not translated again. The file itself is
// still read each time: an entry serves only the same path, text and defines,
// and only while every file the text included reads as it did.
struct Translation {
    std::string path, text;
    std::vector<std::pair<std::string, std::string>> defines;
    struct Inclusion {
        std::string includer, name, resolved, contents;
    };
    std::vector<Inclusion> inclusions;
    kl::d3dx9::hlsl::CompiledEffect effect;
};

class Translations {
public:
    // A copy of the stored translation for these inputs, if there is one.
    bool Find(const std::string& path, const std::string& text,
              const kl::d3dx9::hlsl::PreprocessOptions& options,
              kl::d3dx9::hlsl::CompiledEffect& out) {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto t = kept_.begin(); t != kept_.end(); ++t) {
            if (t->path != path || t->text != text || t->defines != options.defines ||
                !IncludesUnchanged(*t, options.includeReader))
                continue;
            kept_.splice(kept_.begin(), kept_, t);  // most recently used first
            out = t->effect;
            return true;
        }
        return false;
    }

    void Store(Translation translation) {
        constexpr size_t kMostKept = 8;
        std::lock_guard<std::mutex> hold(lock_);
        kept_.push_front(std::move(translation));
        if (kept_.size() > kMostKept) kept_.pop_back();
    }

private:
    static bool IncludesUnchanged(const Translation& t,
                                  const kl::d3dx9::hlsl::IncludeReader& read) {
        for (const Translation::Inclusion& i : t.inclusions) {
            std::string resolved, contents;
            if (!read || !read(i.includer, i.name, resolved, contents) || resolved != i.resolved ||
                contents != i.contents)
                return false;
        }
        return true;
    }

    std::mutex lock_;
    std::list<Translation> kept_;
};

Translations& StoredTranslations() {
    static Translations* translations = new Translations;  // lives until exit
    return *translations;
}

HRESULT CreateFromText(LPDIRECT3DDEVICE9 device, const std::string& path, const std::string& text,
                       const D3DXMACRO* defines, LPD3DXINCLUDE include, LPD3DXEFFECTPOOL pool,
                       LPD3DXEFFECT* ppEffect, LPD3DXBUFFER* ppErrors) {
    if (pool) {
        Report(path + ": effect pools are not supported", ppErrors);
        return E_NOTIMPL;
    }
    kl::d3dx9::hlsl::CompileOptions options;
    for (const D3DXMACRO* d = defines; d && d->Name; ++d)
        options.preprocess.defines.emplace_back(d->Name, d->Definition ? d->Definition : "");
    options.preprocess.includeReader = MakeIncludeReader(include);
    options.prologues.vertex = kl::d3d9::kVertexPrologueGlsl;
    options.prologues.fragment = kl::d3d9::kFragmentPrologueGlsl;
    kl::d3dx9::hlsl::CompiledEffect compiled;
    try {
        if (!StoredTranslations().Find(path, text, options.preprocess, compiled)) {
            // Remember what the text includes, to know when a stored
            // translation no longer holds.
            Translation made{path, text, options.preprocess.defines, {}, {}};
            const kl::d3dx9::hlsl::IncludeReader read = options.preprocess.includeReader;
            options.preprocess.includeReader =
                [&made, read](const std::string& includer, const std::string& name,
                              std::string& resolved, std::string& contents) {
                    if (!read(includer, name, resolved, contents)) return false;
                    made.inclusions.push_back({includer, name, resolved, contents});
                    return true;
                };
            compiled = kl::d3dx9::hlsl::CompileEffect(path, text, options);
            made.effect = compiled;
            StoredTranslations().Store(std::move(made));
        }
    } catch (const kl::d3dx9::hlsl::CompileError& error) {
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
    return kl::d3dx9::AnswerOutOfMemory([&] {
        return CreateFromText(pDevice, path, text, pDefines, pInclude, pPool, ppEffect,
                              ppCompilationErrors);
    });
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
    return kl::d3dx9::AnswerOutOfMemory([&] {
        return CreateFromText(pDevice, "<memory>", text, pDefines, pInclude, pPool, ppEffect,
                              ppCompilationErrors);
    });
}
