// The entry points of a pass: main() for each stage, reading vertex inputs
// and varyings by semantic and writing varyings and outputs by semantic.
#include "d3dx9/effect/glsl_generator.h"

#include "d3dx9/effect/glsl_names.h"
#include "d3dx9/effect/glsl_shader_writer.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <memory>

namespace kl::d3dx9::hlsl {
namespace {

// Varyings use fixed locations per semantic so both stages agree.
constexpr int kColorVaryingBase = 16;
constexpr int kFogVarying = 20;
// Shader model 3 passes any semantic between the stages; these are the ones
// effects use besides texture coordinates and colours.
constexpr int kNormalVaryingBase = 21;  // NORMAL0, NORMAL1
constexpr int kTangentVarying = 23;
constexpr int kBinormalVarying = 24;

struct Leaf {
    std::string access;  // GLSL path below the parameter ("", ".pos", ".a.b")
    Type type;
    std::string semantic;
    int index = 0;
    SourceLocation where;
};

void CollectLeaves(const Type& type, const std::string& semantic, const std::string& access,
                   const std::string& what, const SourceLocation& where, std::vector<Leaf>& out,
                   int depth = 0) {
    if (depth > 16) Fail(where, "structs nested too deeply");
    // A struct's members carry the semantics; one written on the struct
    // itself (a struct-returning function with `: POSITION`) adds nothing.
    if (type.base == BaseType::Struct && type.arraySize == 0) {
        for (const auto& m : type.structDecl->members)
            CollectLeaves(m.type, m.semantic, access + "." + GlslIdentifier(m.name), m.name,
                          m.where, out, depth + 1);
        return;
    }
    if (semantic.empty()) Fail(where, "'" + what + "' needs a semantic");
    if (type.arraySize > 0 || type.base == BaseType::Struct)
        Fail(where, "'" + what + "': arrays and structs with one semantic are not supported");
    Leaf leaf;
    leaf.access = access;
    leaf.type = type;
    leaf.where = where;
    SplitSemantic(semantic, leaf.semantic, leaf.index);
    out.push_back(leaf);
}

bool VertexUsageFor(const std::string& semantic, VertexUsage& usage) {
    static const std::map<std::string, VertexUsage> table = {
        {"POSITION", VertexUsage::Position},
        {"BLENDWEIGHT", VertexUsage::BlendWeight},
        {"BLENDINDICES", VertexUsage::BlendIndices},
        {"NORMAL", VertexUsage::Normal},
        {"PSIZE", VertexUsage::PointSize},
        {"TEXCOORD", VertexUsage::TexCoord},
        {"TANGENT", VertexUsage::Tangent},
        {"BINORMAL", VertexUsage::Binormal},
        {"TESSFACTOR", VertexUsage::TessFactor},
        {"POSITIONT", VertexUsage::PositionT},
        {"COLOR", VertexUsage::Color},
        {"FOG", VertexUsage::Fog},
        {"DEPTH", VertexUsage::Depth},
        {"SAMPLE", VertexUsage::Sample}};
    auto it = table.find(semantic);
    if (it == table.end()) return false;
    usage = it->second;
    return true;
}

// Location of a varying semantic, or -1 for one that does not travel.
int VaryingLocation(const Leaf& leaf) {
    if (leaf.semantic == "TEXCOORD" && leaf.index < 16) return leaf.index;
    if (leaf.semantic == "COLOR" && leaf.index < 4) return kColorVaryingBase + leaf.index;
    if (leaf.semantic == "FOG" && leaf.index == 0) return kFogVarying;
    if (leaf.semantic == "NORMAL" && leaf.index < 2) return kNormalVaryingBase + leaf.index;
    if (leaf.semantic == "TANGENT" && leaf.index == 0) return kTangentVarying;
    if (leaf.semantic == "BINORMAL" && leaf.index == 0) return kBinormalVarying;
    return -1;
}

std::string VaryingName(const Leaf& leaf) {
    return "kl_v_" + leaf.semantic + std::to_string(leaf.index);
}

const Function& FindEntry(const Module& module, const ShaderCompile& compile) {
    const Function* found = nullptr;
    for (const auto& fn : module.functions) {
        if (fn->name != compile.entry || !fn->body) continue;
        if (found) Fail(compile.where, "entry point '" + compile.entry + "' is overloaded");
        found = fn.get();
    }
    if (!found) Fail(compile.where, "entry point '" + compile.entry + "' not found");
    return *found;
}

class EntryWriter {
public:
    // `varyings` collects the vertex shader's outputs; the pixel shader of a
    // pass without a vertex shader gets nullptr, as which vertex stage feeds
    // it is known only at draw time.
    EntryWriter(const Module& module, Stage stage, const ShaderCompile& compile,
                std::map<std::string, int>* varyings)
        : writer_(module, stage),
          stage_(stage),
          compile_(compile),
          entry_(FindEntry(module, compile)),
          varyings_(varyings) {
        const bool vertexProfile = compile.profile.compare(0, 3, "vs_") == 0;
        if (vertexProfile != (stage == Stage::Vertex))
            Fail(compile.where, "profile '" + compile.profile + "' does not fit this shader");
    }

    ShaderWriter& Writer() { return writer_; }
    const std::vector<GeneratedInput>& Inputs() const { return inputs_; }

    std::string Source(const std::string& prologue) {
        const std::string body = MainBody();
        std::string src = "#version 450 core\n";
        if (stage_ == Stage::Vertex) src += "invariant gl_Position;\n";
        src += prologue;
        src += "\n";
        src += writer_.Declarations();
        src += interface_;
        src += "void main()\n{\n" + writer_.StaticInitialisation() + body + "}\n";
        return src;
    }

private:
    std::string MainBody() {
        const std::string entryName = writer_.RequireFunction(entry_);
        std::string body;
        std::string call = entryName + "(";
        size_t nextArg = 0;
        std::vector<std::pair<std::string, const Param*>> outputs;
        for (size_t i = 0; i < entry_.params.size(); ++i) {
            const Param& p = entry_.params[i];
            const std::string local = "kl_p" + std::to_string(i);
            std::string init;
            if (p.qualifier == ParamQualifier::Uniform) {
                if (nextArg >= compile_.args.size())
                    Fail(p.where, "uniform parameter '" + p.name +
                                      "' needs a value in the compile statement");
                const Expr& arg = *compile_.args[nextArg++];
                init =
                    writer_.Convert(writer_.WriteGlobalExpression(arg), p.type, false, arg.where);
            } else {
                init = writer_.FillValue(p.type, "0", p.where);
            }
            body += "    " + writer_.DeclareVariable(p.type, local, p.where) + " = " + init + ";\n";
            if (p.qualifier == ParamQualifier::In || p.qualifier == ParamQualifier::InOut)
                body += ReadInputs(p, local);
            if (p.qualifier == ParamQualifier::Out || p.qualifier == ParamQualifier::InOut)
                outputs.emplace_back(local, &p);
            call += (i ? ", " : "") + local;
        }
        if (nextArg != compile_.args.size())
            Fail(compile_.where, "too many arguments for '" + entry_.name + "'");
        call += ")";
        if (entry_.returnType.base == BaseType::Void) {
            body += "    " + call + ";\n";
        } else {
            body += "    " + writer_.DeclareVariable(entry_.returnType, "kl_result", entry_.where) +
                    " = " + call + ";\n";
            body +=
                WriteOutputs(entry_.returnType, entry_.returnSemantic, "kl_result", entry_.name);
        }
        for (const auto& [local, param] : outputs)
            body += WriteOutputs(param->type, param->semantic, local, param->name);
        body += Epilogue();
        return body;
    }

    std::string Epilogue() {
        if (stage_ == Stage::Vertex) {
            if (!wrotePosition_)
                Fail(entry_.where, "vertex shader '" + entry_.name + "' does not output POSITION");
            return "    kl_d3d_vertex_epilogue();\n";
        }
        std::string out;
        if (!colorOutputs_.count(0)) {
            interface_ += "layout(location = 0) out vec4 kl_out_COLOR0;\n";
            out += "    kl_out_COLOR0 = vec4(0.0);\n";
        }
        return out + "    kl_d3d_alpha_test(kl_out_COLOR0);\n";
    }

    std::string ReadInputs(const Param& p, const std::string& local) {
        std::vector<Leaf> leaves;
        CollectLeaves(p.type, p.semantic, "", p.name, p.where, leaves);
        std::string out;
        for (const Leaf& leaf : leaves) {
            Value source = stage_ == Stage::Vertex ? VertexAttribute(leaf) : FragmentInput(leaf);
            out += "    " + local + leaf.access + " = " +
                   writer_.Convert(source, leaf.type, true, leaf.where) + ";\n";
        }
        return out;
    }

    // Vertex attributes are always vec4: the device supplies (0, 0, 0, 1) for
    // components the vertex data lacks, as Direct3D does.
    Value VertexAttribute(const Leaf& leaf) {
        VertexUsage usage;
        if (!VertexUsageFor(leaf.semantic, usage))
            Fail(leaf.where, "unknown vertex input semantic '" + leaf.semantic + "'");
        if (!leaf.type.IsScalar() && !leaf.type.IsVector())
            Fail(leaf.where, "vertex input must be a scalar or vector");
        const std::string name = "kl_in_" + leaf.semantic + std::to_string(leaf.index);
        bool known = false;
        for (const GeneratedInput& in : inputs_)
            known = known || (in.usage == usage && in.usageIndex == leaf.index);
        if (!known) {
            const int location = static_cast<int>(inputs_.size());
            inputs_.push_back(GeneratedInput{usage, leaf.index, location});
            interface_ +=
                "layout(location = " + std::to_string(location) + ") in vec4 " + name + ";\n";
        }
        return Value{name, Type::Vector(BaseType::Float, 4)};
    }

    Value FragmentInput(const Leaf& leaf) {
        if (leaf.semantic == "VPOS")
            return Value{"floor(gl_FragCoord.xy)", Type::Vector(BaseType::Float, 2)};
        if (leaf.semantic == "VFACE")
            return Value{"(gl_FrontFacing ? 1.0 : -1.0)", Type::Scalar(BaseType::Float)};
        // Effects often reuse the vertex output struct as pixel input; its
        // POSITION member then reads the window position.
        if (leaf.semantic == "POSITION")
            return Value{"gl_FragCoord", Type::Vector(BaseType::Float, 4)};
        const int location = VaryingLocation(leaf);
        if (location < 0)
            Fail(leaf.where, "unsupported pixel shader input semantic '" + leaf.semantic + "'");
        const std::string name = VaryingName(leaf);
        if (varyings_ && !varyings_->count(name))
            return Value{"vec4(0.0)", Type::Vector(BaseType::Float, 4)};
        if (!declaredInputs_.count(name)) {
            declaredInputs_[name] = location;
            interface_ +=
                "layout(location = " + std::to_string(location) + ") in vec4 " + name + ";\n";
        }
        return Value{name, Type::Vector(BaseType::Float, 4)};
    }

    std::string WriteOutputs(const Type& type, const std::string& semantic,
                             const std::string& local, const std::string& what) {
        std::vector<Leaf> leaves;
        CollectLeaves(type, semantic, "", what, entry_.where, leaves);
        std::string out;
        for (const Leaf& leaf : leaves) {
            const Value v{local + leaf.access, leaf.type};
            out += stage_ == Stage::Vertex ? VertexOutput(leaf, v) : FragmentOutput(leaf, v);
        }
        return out;
    }

    std::string VertexOutput(const Leaf& leaf, const Value& v) {
        if ((leaf.semantic == "POSITION" || leaf.semantic == "POSITIONT") && leaf.index == 0) {
            wrotePosition_ = true;
            return "    gl_Position = " + PadToVec4(writer_, v, leaf.where) + ";\n";
        }
        if (leaf.semantic == "PSIZE")
            return "    gl_PointSize = " +
                   writer_.Convert(v, Type::Scalar(BaseType::Float), true, leaf.where) + ";\n";
        const int location = VaryingLocation(leaf);
        if (location < 0)
            Fail(leaf.where, "unsupported vertex shader output semantic '" + leaf.semantic + "'");
        const std::string name = VaryingName(leaf);
        if (!varyings_->count(name)) {
            (*varyings_)[name] = location;
            interface_ +=
                "layout(location = " + std::to_string(location) + ") out vec4 " + name + ";\n";
        }
        return "    " + name + " = " + PadToVec4(writer_, v, leaf.where) + ";\n";
    }

    std::string FragmentOutput(const Leaf& leaf, const Value& v) {
        if (leaf.semantic == "DEPTH" && leaf.index == 0)
            return "    gl_FragDepth = " +
                   writer_.Convert(v, Type::Scalar(BaseType::Float), true, leaf.where) + ";\n";
        if (leaf.semantic != "COLOR" || leaf.index > 3)
            Fail(leaf.where, "unsupported pixel shader output semantic '" + leaf.semantic + "'");
        const std::string name = "kl_out_COLOR" + std::to_string(leaf.index);
        if (colorOutputs_.insert(leaf.index).second)
            interface_ +=
                "layout(location = " + std::to_string(leaf.index) + ") out vec4 " + name + ";\n";
        return "    " + name + " = " + PadToVec4(writer_, v, leaf.where) + ";\n";
    }

    ShaderWriter writer_;
    Stage stage_;
    const ShaderCompile& compile_;
    const Function& entry_;
    std::map<std::string, int>* varyings_;
    std::map<std::string, int> declaredInputs_;
    std::set<int> colorOutputs_;
    std::vector<GeneratedInput> inputs_;
    std::string interface_;
    bool wrotePosition_ = false;
};

}  // namespace

void SplitSemantic(const std::string& semantic, std::string& name, int& index) {
    std::string upper;
    for (char c : semantic) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    size_t digits = upper.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(upper[digits - 1]))) --digits;
    name = upper.substr(0, digits);
    const std::string number = upper.substr(digits);
    index = number.empty() || number.size() > 3 ? 0 : std::stoi(number);
    if (number.size() > 3) index = 999;
    if (name == "SV_POSITION") name = "POSITION";
    if (name == "SV_TARGET") name = "COLOR";
    if (name == "SV_DEPTH") name = "DEPTH";
}

GeneratedPass GeneratePass(const Module& module, const PassDecl& pass,
                           const ShaderPrologues& prologues) {
    std::map<std::string, int> varyings;
    GeneratedPass out;
    std::vector<std::unique_ptr<EntryWriter>> writers;
    if (pass.vertexShader) {
        writers.push_back(
            std::make_unique<EntryWriter>(module, Stage::Vertex, *pass.vertexShader, &varyings));
        out.vertexSource = writers.back()->Source(prologues.vertex);
        out.inputs = writers.back()->Inputs();
        // vs_3_0 reads textures through the four vertex samplers.
        int stage = 0;
        for (const UsedSampler& s : writers.back()->Writer().UsedSamplers()) {
            if (stage >= 4) Fail(s.decl->where, "more than 4 samplers in one vertex shader");
            out.vertexSamplers.push_back(
                GeneratedSampler{s.decl->name, s.glslName, stage++, s.element});
        }
    }
    if (pass.pixelShader) {
        writers.push_back(std::make_unique<EntryWriter>(module, Stage::Fragment, *pass.pixelShader,
                                                        pass.vertexShader ? &varyings : nullptr));
        out.fragmentSource = writers.back()->Source(prologues.fragment);
        // Samplers bound to a register keep that stage (a pass may set it
        // with Texture[n] or Sampler[n]); the others take free stages in
        // order of use.
        // Element i of a sampler array bound to register sn takes stage n + i.
        const std::vector<UsedSampler>& used = writers.back()->Writer().UsedSamplers();
        std::set<int> taken;
        for (const UsedSampler& s : used) {
            if (s.decl->samplerRegister < 0) continue;
            const int reg = s.decl->samplerRegister + std::max(0, s.element);
            if (reg >= 16 || !taken.insert(reg).second)
                Fail(s.decl->where,
                     "sampler register s" + std::to_string(reg) + " is out of range or taken");
            out.samplers.push_back(GeneratedSampler{s.decl->name, s.glslName, reg, s.element});
        }
        int stage = 0;
        for (const UsedSampler& s : used) {
            if (s.decl->samplerRegister >= 0) continue;
            while (taken.count(stage)) ++stage;
            if (stage >= 16) Fail(s.decl->where, "more than 16 samplers in one pass");
            out.samplers.push_back(GeneratedSampler{s.decl->name, s.glslName, stage++, s.element});
        }
    }
    for (const auto& w : writers) {
        for (const VarDecl* u : w->Writer().UsedUniforms()) {
            bool known = false;
            for (const auto& g : out.uniforms) known = known || g.name == u->name;
            if (!known) out.uniforms.push_back(GeneratedUniform{u->name, GlslIdentifier(u->name)});
        }
    }
    return out;
}

}  // namespace kl::d3dx9::hlsl
