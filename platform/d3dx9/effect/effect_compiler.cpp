#include "d3dx9/effect/effect_compiler.h"

#include "d3dx9/effect/hlsl_constants.h"
#include "d3dx9/effect/hlsl_parser.h"

#include <cmath>
#include <cstdlib>
#include <strings.h>

namespace kl::d3dx9::hlsl {
namespace {

// Every pass with shaders becomes its own GL program (a few hundred kilobytes
// each on llvmpipe), so the passes of one effect are bounded: a file of 8000
// one-line passes would otherwise take gigabytes.
constexpr size_t kMaxPasses = 256;

const VarDecl* FindGlobal(const Module& module, const std::string& name) {
    for (const auto& g : module.globals)
        if (g->name == name) return g.get();
    return nullptr;
}

std::vector<float> InitialValue(const Module& module, const VarDecl& g) {
    const int count = g.type.Components() * g.type.Count();
    std::vector<float> value;
    if (g.init) {
        const Constant folded = FoldConstant(
            *g.init, [&module](const std::string& name) { return FindGlobal(module, name); });
        for (double v : folded.values) {
            // Stored as floats; integer and boolean parameters hold whole values.
            if (g.type.base == BaseType::Int || g.type.base == BaseType::Uint) v = std::trunc(v);
            if (g.type.base == BaseType::Bool) v = v != 0 ? 1 : 0;
            value.push_back(static_cast<float>(v));
        }
    }
    // A scalar initialiser fills every component, as HLSL's promotion does.
    if (value.size() == 1 && count > 1) value.assign(static_cast<size_t>(count), value[0]);
    if (g.init && value.size() != static_cast<size_t>(count))
        Fail(g.init->where, "initial value of '" + g.name + "' needs " + std::to_string(count) +
                                " components, got " + std::to_string(value.size()));
    value.resize(static_cast<size_t>(count), 0.0f);
    return value;
}

// A sampler's state block and the texture parameter its Texture state names.
void SetSamplerStates(const Module& module, const std::vector<StateAssignment>& states,
                      EffectParameter& p) {
    p.samplerStates = states;
    for (const StateAssignment& s : states) {
        if (strcasecmp(s.name.c_str(), "Texture") != 0) continue;
        if (s.terms.size() != 1 || s.terms[0].kind != StateValueTerm::Kind::Name)
            Fail(s.where, "Texture state needs a texture name");
        const VarDecl* t = FindGlobal(module, s.terms[0].name);
        if (!t || t->type.base != BaseType::Texture)
            Fail(s.where, "'" + s.terms[0].name + "' is not a texture");
        p.samplerTexture = t->name;
    }
}

EffectParameter MakeParameter(const Module& module, const VarDecl& g) {
    EffectParameter p;
    p.name = g.name;
    p.semantic = g.semantic;
    p.type = g.type;
    if (g.type.Innermost().IsNumeric()) {
        p.initialValue = InitialValue(module, g);
    }
    if (g.type.IsSampler() && g.type.arraySize == 0) SetSamplerStates(module, g.samplerStates, p);
    if (g.type.IsSampler() && g.type.arraySize > 0) {
        for (int i = 0; i < g.type.arraySize; ++i) {
            EffectParameter element;
            element.name = g.name + "[" + std::to_string(i) + "]";
            element.type = g.type.Element();
            if (!g.elementSamplerStates.empty())
                SetSamplerStates(module, g.elementSamplerStates[static_cast<size_t>(i)], element);
            p.samplerElements.push_back(std::move(element));
        }
    }
    return p;
}

}  // namespace

CompiledEffect CompileEffect(const std::string& path, const std::string& text,
                             const CompileOptions& options) {
    const std::vector<Token> tokens = Preprocess(path, text, options.preprocess);
    const Module module = Parse(tokens);
    CompiledEffect effect;
    for (const auto& g : module.globals) {
        if (g->isStatic || g->type.base == BaseType::String || g->type.base == BaseType::Struct)
            continue;
        effect.parameters.push_back(MakeParameter(module, *g));
    }
    if (module.techniques.empty()) {
        SourceLocation where{std::make_shared<const std::string>(path), 1, 1};
        Fail(where, "effect has no technique");
    }
    size_t passCount = 0;
    for (const TechniqueDecl& t : module.techniques) {
        for (const PassDecl& p : t.passes)
            if (++passCount > kMaxPasses)
                Fail(p.where, "effect has more than " + std::to_string(kMaxPasses) + " passes");
    }
    for (const TechniqueDecl& t : module.techniques) {
        CompiledTechnique tech;
        tech.name = t.name;
        if (t.passes.empty()) Fail(t.where, "technique '" + t.name + "' has no pass");
        for (const PassDecl& p : t.passes) {
            CompiledPass pass;
            pass.where = p.where;
            pass.name = p.name;
            pass.states = p.states;
            pass.setsVertexShader = p.setsVertexShader;
            pass.setsPixelShader = p.setsPixelShader;
            pass.hasShaders = p.vertexShader || p.pixelShader;
            if (pass.hasShaders) pass.program = GeneratePass(module, p, options.prologues);
            tech.passes.push_back(std::move(pass));
        }
        effect.techniques.push_back(std::move(tech));
    }
    return effect;
}

}  // namespace kl::d3dx9::hlsl
