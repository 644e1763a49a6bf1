// Effect source from outside: preprocessing, parsing and GLSL generation must
// end in a translation or one CompileError, within bounded time and stack.
#include "d3dx9/effect/effect_compiler.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kl::d3dx9::hlsl::CompileOptions options;
    options.prologues.vertex = "void kl_d3d_vertex_epilogue() {}\n";
    options.prologues.fragment = "void kl_d3d_alpha_test(vec4 colour) {}\n";
    options.preprocess.defines = {{"FUZZ", "1"}};
    // One include file, which may include itself: the depth limit must stop it.
    options.preprocess.includeReader = [&text](const std::string&, const std::string& name,
                                               std::string& resolved, std::string& contents) {
        resolved = name;
        contents = name == "self.fxh" ? text : "float4 included;";
        return true;
    };
    try {
        kl::d3dx9::hlsl::CompileEffect("fuzz.fx", text, options);
    } catch (const kl::d3dx9::hlsl::CompileError&) {
    }
    return 0;
}
