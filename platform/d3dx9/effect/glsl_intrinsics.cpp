// HLSL intrinsic functions spelled in GLSL. Arguments are converted to one
// common type first, since GLSL's built-ins want matching operand types where
// HLSL promotes and truncates.
#include "d3dx9/effect/glsl_shader_writer.h"

#include <map>

namespace kl::d3dx9::hlsl {
namespace {

enum class Shape {
    SameAsArgs,  // result has the common type of the arguments
    Scalar,      // float result (length, dot, distance)
    BoolOfArgs,  // bool vector shaped like the arguments (isnan)
};

struct SimpleIntrinsic {
    const char* glsl;  // nullptr: written by a special case
    int arity;
    Shape shape;
    bool floatOnly;  // integer arguments are converted to float first
};

const std::map<std::string, SimpleIntrinsic>& SimpleIntrinsics() {
    static const std::map<std::string, SimpleIntrinsic> table = {
        {"abs", {"abs", 1, Shape::SameAsArgs, false}},
        {"sin", {"sin", 1, Shape::SameAsArgs, true}},
        {"cos", {"cos", 1, Shape::SameAsArgs, true}},
        {"tan", {"tan", 1, Shape::SameAsArgs, true}},
        {"asin", {"asin", 1, Shape::SameAsArgs, true}},
        {"acos", {"acos", 1, Shape::SameAsArgs, true}},
        {"atan", {"atan", 1, Shape::SameAsArgs, true}},
        {"sinh", {"sinh", 1, Shape::SameAsArgs, true}},
        {"cosh", {"cosh", 1, Shape::SameAsArgs, true}},
        {"tanh", {"tanh", 1, Shape::SameAsArgs, true}},
        {"exp", {"exp", 1, Shape::SameAsArgs, true}},
        {"exp2", {"exp2", 1, Shape::SameAsArgs, true}},
        {"log", {"log", 1, Shape::SameAsArgs, true}},
        {"log2", {"log2", 1, Shape::SameAsArgs, true}},
        {"sqrt", {"sqrt", 1, Shape::SameAsArgs, true}},
        {"rsqrt", {"inversesqrt", 1, Shape::SameAsArgs, true}},
        {"floor", {"floor", 1, Shape::SameAsArgs, true}},
        {"ceil", {"ceil", 1, Shape::SameAsArgs, true}},
        {"frac", {"fract", 1, Shape::SameAsArgs, true}},
        {"round", {"round", 1, Shape::SameAsArgs, true}},
        {"trunc", {"trunc", 1, Shape::SameAsArgs, true}},
        {"sign", {"sign", 1, Shape::SameAsArgs, true}},
        {"degrees", {"degrees", 1, Shape::SameAsArgs, true}},
        {"radians", {"radians", 1, Shape::SameAsArgs, true}},
        {"normalize", {"normalize", 1, Shape::SameAsArgs, true}},
        {"ddx", {"dFdx", 1, Shape::SameAsArgs, true}},
        // The device renders with Direct3D's upper-left origin, so window y
        // grows downwards as in Direct3D and dFdy already has ddy's sign.
        {"ddy", {"dFdy", 1, Shape::SameAsArgs, true}},
        {"fwidth", {"fwidth", 1, Shape::SameAsArgs, true}},
        {"isnan", {"isnan", 1, Shape::BoolOfArgs, true}},
        {"isinf", {"isinf", 1, Shape::BoolOfArgs, true}},
        {"length", {"length", 1, Shape::Scalar, true}},
        {"pow", {"pow", 2, Shape::SameAsArgs, true}},
        {"atan2", {"atan", 2, Shape::SameAsArgs, true}},
        {"min", {"min", 2, Shape::SameAsArgs, false}},
        {"max", {"max", 2, Shape::SameAsArgs, false}},
        {"step", {"step", 2, Shape::SameAsArgs, true}},
        {"reflect", {"reflect", 2, Shape::SameAsArgs, true}},
        {"cross", {"cross", 2, Shape::SameAsArgs, true}},
        {"distance", {"distance", 2, Shape::Scalar, true}},
        {"dot", {"dot", 2, Shape::Scalar, true}},
        {"clamp", {"clamp", 3, Shape::SameAsArgs, false}},
        {"lerp", {"mix", 3, Shape::SameAsArgs, true}},
        {"smoothstep", {"smoothstep", 3, Shape::SameAsArgs, true}},
        {"faceforward", {"faceforward", 3, Shape::SameAsArgs, true}},
        {"fmod", {nullptr, 2, Shape::SameAsArgs, true}},
        {"saturate", {nullptr, 1, Shape::SameAsArgs, true}},
        {"rcp", {nullptr, 1, Shape::SameAsArgs, true}},
        {"log10", {nullptr, 1, Shape::SameAsArgs, true}},
        {"mad", {nullptr, 3, Shape::SameAsArgs, false}},
        {"clip", {nullptr, 1, Shape::SameAsArgs, true}},
    };
    return table;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
    return out;
}

}  // namespace

std::string ShaderWriter::RequireHelper(const std::string& kind, const Type& t,
                                        const SourceLocation& where) {
    const std::string type = TypeName(t, where);
    const std::string name = "kl_" + kind;
    const std::string key = name + "_" + type;
    if (helpers_.count(key)) return name;
    std::string code;
    if (kind == "fmod") {
        // HLSL fmod keeps the sign of x; GLSL mod would follow y.
        code = type + " " + name + "(" + type + " x, " + type +
               " y) { return x - y * trunc(x / y); }\n";
    } else if (kind == "clip") {
        const std::string test = t.IsScalar() ? "x < 0.0" : "any(lessThan(x, " + type + "(0.0)))";
        code = "void " + name + "(" + type + " x) { if (" + test + ") discard; }\n";
    } else {
        Fail(where, "internal: unknown helper " + kind);
    }
    helpers_[key] = code;
    return name;
}

bool ShaderWriter::WriteIntrinsic(const Expr& e, std::vector<Value>& args, Value& result) {
    const std::string& name = e.text;
    const SourceLocation& where = e.where;
    if (name == "mul") {
        if (args.size() != 2) Fail(where, "mul takes 2 arguments");
        result = WriteMul(args[0], args[1], where);
        return true;
    }
    if (name.compare(0, 3, "tex") == 0 && name != "texture") {
        result = WriteTextureFetch(name, args, where);
        return true;
    }
    if (name == "any" || name == "all") {
        if (args.size() != 1 || !args[0].type.IsNumeric() || args[0].type.IsMatrix())
            Fail(where, name + " takes one scalar or vector");
        const Type b = args[0].type.WithBase(BaseType::Bool);
        const std::string asBool = Convert(args[0], b, true, where);
        result =
            Value{b.IsScalar() ? asBool : name + "(" + asBool + ")", Type::Scalar(BaseType::Bool)};
        return true;
    }
    if (name == "transpose" || name == "determinant") {
        if (args.size() != 1 || !args[0].type.IsMatrix()) Fail(where, name + " takes one matrix");
        Type t = args[0].type;
        if (name == "transpose") {
            std::swap(t.rows, t.cols);
        } else {
            if (t.rows != t.cols) Fail(where, "determinant needs a square matrix");
            t = Type::Scalar(BaseType::Float);
        }
        result = Value{name + "(" + args[0].code + ")", t};
        return true;
    }
    if (name == "sincos") {
        if (args.size() != 3 || !args[1].assignable || !args[2].assignable)
            Fail(where, "sincos takes a value and two variables");
        const std::string x = Convert(args[0], args[1].type, false, where);
        result = Value{"(" + args[1].code + " = sin(" + x + "), " + args[2].code + " = cos(" +
                           Convert(args[0], args[2].type, false, where) + "))",
                       Type::Scalar(BaseType::Void)};
        return true;
    }
    auto it = SimpleIntrinsics().find(name);
    if (it == SimpleIntrinsics().end()) return false;
    const SimpleIntrinsic& info = it->second;
    if (static_cast<int>(args.size()) != info.arity)
        Fail(where, name + " takes " + std::to_string(info.arity) + " argument(s)");
    Type common = args[0].type;
    for (const Value& a : args) {
        if (!a.type.IsNumeric()) Fail(where, name + " needs numeric arguments");
        common = CommonType(common, a.type, where);
    }
    if (info.floatOnly || common.base == BaseType::Bool) common.base = BaseType::Float;
    if (common.IsMatrix()) Fail(where, name + " on matrices is not supported");
    std::vector<std::string> conv;
    for (const Value& a : args) conv.push_back(Convert(a, common, false, where));
    if (name == "cross" && !(common.IsVector() && common.cols == 3))
        Fail(where, "cross needs float3 arguments");
    if (name == "fmod") {
        result = Value{RequireHelper("fmod", common, where) + "(" + Join(conv) + ")", common};
    } else if (name == "saturate") {
        result = Value{"clamp(" + conv[0] + ", 0.0, 1.0)", common};
    } else if (name == "rcp") {
        result = Value{"(1.0 / " + conv[0] + ")", common};
    } else if (name == "log10") {
        result = Value{"(log2(" + conv[0] + ") * 0.30102999566)", common};
    } else if (name == "mad") {
        result = Value{"(" + conv[0] + " * " + conv[1] + " + " + conv[2] + ")", common};
    } else if (name == "clip") {
        if (stage_ != Stage::Fragment) Fail(where, "clip is only available in pixel shaders");
        result = Value{RequireHelper("clip", common, where) + "(" + conv[0] + ")",
                       Type::Scalar(BaseType::Void)};
    } else {
        Type t = common;
        if (info.shape == Shape::Scalar) t = Type::Scalar(BaseType::Float);
        if (info.shape == Shape::BoolOfArgs) t = common.WithBase(BaseType::Bool);
        result = Value{std::string(info.glsl) + "(" + Join(conv) + ")", t};
    }
    if ((name == "ddx" || name == "ddy" || name == "fwidth") && stage_ != Stage::Fragment)
        Fail(where, name + " is only available in pixel shaders");
    return true;
}

Value ShaderWriter::WriteMul(Value a, Value b, const SourceLocation& where) {
    if (!a.type.IsNumeric() || !b.type.IsNumeric()) Fail(where, "mul needs numeric arguments");
    const Type fa = a.type.WithBase(BaseType::Float);
    const Type fb = b.type.WithBase(BaseType::Float);
    a = Value{Convert(a, fa, false, where), fa};
    b = Value{Convert(b, fb, false, where), fb};
    if (a.type.IsScalar() || b.type.IsScalar()) {
        const Type t = a.type.IsScalar() ? b.type : a.type;
        return Value{"(" + a.code + " * " + b.code + ")", t};
    }
    if (a.type.IsVector() && b.type.IsVector()) {
        const Type t = Type::Vector(BaseType::Float, std::min(a.type.cols, b.type.cols));
        return Value{
            "dot(" + Convert(a, t, false, where) + ", " + Convert(b, t, false, where) + ")",
            Type::Scalar(BaseType::Float)};
    }
    // A vector and a matrix of different sizes meet as HLSL makes them: the
    // larger is truncated, so mul(float3, float4x4) uses the matrix's first
    // three rows (no translation) and still gives a float4.
    if (a.type.IsVector()) {  // row vector times matrix: GLSL column i is HLSL row i
        const int rows = std::min(a.type.cols, b.type.rows);
        const Type m = Type::Matrix(BaseType::Float, rows, b.type.cols);
        const std::string v = Convert(a, Type::Vector(BaseType::Float, rows), false, where);
        return Value{"(" + Convert(b, m, false, where) + " * " + v + ")",
                     Type::Vector(BaseType::Float, b.type.cols)};
    }
    if (b.type.IsVector()) {  // matrix times column vector
        const int cols = std::min(b.type.cols, a.type.cols);
        const Type m = Type::Matrix(BaseType::Float, a.type.rows, cols);
        const std::string v = Convert(b, Type::Vector(BaseType::Float, cols), false, where);
        return Value{"(" + v + " * " + Convert(a, m, false, where) + ")",
                     Type::Vector(BaseType::Float, a.type.rows)};
    }
    if (a.type.cols != b.type.rows)
        Fail(where,
             "mul: " + HlslTypeName(a.type) + " and " + HlslTypeName(b.type) + " do not chain");
    return Value{"(" + b.code + " * " + a.code + ")",
                 Type::Matrix(BaseType::Float, a.type.rows, b.type.cols)};
}

// A plain `sampler` global takes the kind of the fetches and the typed
// parameters it meets; all must agree.
void ShaderWriter::SettleSamplerKind(Value& sampler, BaseType kind, const SourceLocation& where) {
    if (sampler.type.base != BaseType::Sampler || !sampler.global) return;
    auto known = samplerKinds_.emplace(sampler.global, kind).first;
    if (known->second != kind)
        Fail(where, "sampler '" + sampler.global->name + "' is fetched as two kinds of texture");
    sampler.type.base = kind;
}

Value ShaderWriter::WriteTextureFetch(const std::string& name, std::vector<Value>& args,
                                      const SourceLocation& where) {
    struct Fetch {
        BaseType sampler;
        int coords;  // coordinate components the GLSL call takes
        const char* form;
    };
    // Direct3D 9 has no one-dimensional textures: sampler1D reads a 2D
    // texture (one texel high) along its first row.
    static const std::map<std::string, Fetch> fetches = {
        {"tex1D", {BaseType::Sampler2D, 1, "plain"}},
        {"tex1Dlod", {BaseType::Sampler2D, 4, "lod"}},
        {"tex1Dbias", {BaseType::Sampler2D, 4, "bias"}},
        {"tex2D", {BaseType::Sampler2D, 2, "plain"}},
        {"tex2Dlod", {BaseType::Sampler2D, 4, "lod"}},
        {"tex2Dbias", {BaseType::Sampler2D, 4, "bias"}},
        {"tex2Dproj", {BaseType::Sampler2D, 4, "proj"}},
        {"tex2Dgrad", {BaseType::Sampler2D, 2, "grad"}},
        {"tex3D", {BaseType::Sampler3D, 3, "plain"}},
        {"tex3Dlod", {BaseType::Sampler3D, 4, "lod"}},
        {"texCUBE", {BaseType::SamplerCube, 3, "plain"}},
        {"texCUBElod", {BaseType::SamplerCube, 4, "lod"}},
        {"texCUBEbias", {BaseType::SamplerCube, 4, "bias"}},
    };
    auto it = fetches.find(name);
    if (it == fetches.end()) Fail(where, "unknown function '" + name + "'");
    const Fetch& f = it->second;
    const std::string form = f.form;
    const size_t arity = form == "grad" ? 4 : 2;
    const bool gradientForm = name == "tex2D" && args.size() == 4;
    if (args.size() != arity && !gradientForm)
        Fail(where, name + " takes " + std::to_string(arity) + " arguments");
    if (!args[0].type.IsSampler() || args[0].type.arraySize > 0)
        Fail(where, name + " needs a sampler as first argument");
    SettleSamplerKind(args[0], f.sampler, where);
    if (args[0].type.base != f.sampler)
        Fail(where, name + " cannot sample a " + HlslTypeName(args[0].type));
    const Type coordType = Type::Vector(BaseType::Float, f.coords);
    const std::string c = Convert(args[1], coordType, false, where);
    const std::string s = args[0].code;
    const Type vec4 = Type::Vector(BaseType::Float, 4);
    const int dims = f.sampler == BaseType::Sampler2D ? 2 : 3;
    // Where the lod and bias forms sample: the leading lanes of the float4.
    std::string at = "(" + c + ")" + (dims == 2 ? ".xy" : ".xyz");
    if (name.compare(0, 5, "tex1D") == 0) {
        const std::string u = f.coords == 1 ? c : "(" + c + ").x";
        if (form == "plain") return Value{"texture(" + s + ", vec2(" + u + ", 0.5))", vec4};
        at = "vec2(" + u + ", 0.5)";
    }
    if (stage_ == Stage::Vertex && form != "lod")
        Fail(where, name + " needs derivatives; use tex2Dlod in vertex shaders");
    if (form == "lod") return Value{"textureLod(" + s + ", " + at + ", (" + c + ").w)", vec4};
    if (form == "bias") return Value{"texture(" + s + ", " + at + ", (" + c + ").w)", vec4};
    if (form == "proj") return Value{"textureProj(" + s + ", " + c + ")", vec4};
    if (form == "grad" || gradientForm) {
        const Type g = Type::Vector(BaseType::Float, dims);
        return Value{"textureGrad(" + s + ", " + c + ", " + Convert(args[2], g, false, where) +
                         ", " + Convert(args[3], g, false, where) + ")",
                     vec4};
    }
    return Value{"texture(" + s + ", " + c + ")", vec4};
}

}  // namespace kl::d3dx9::hlsl
