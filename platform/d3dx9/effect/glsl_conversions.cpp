// GLSL type names and the conversions HLSL performs implicitly (scalar
// promotion, vector and matrix truncation, int/float/bool changes), written
// out explicitly because GLSL allows few of them.
#include "d3dx9/effect/glsl_names.h"
#include "d3dx9/effect/glsl_shader_writer.h"

namespace kl::d3dx9::hlsl {
namespace {

int Rank(BaseType b) {
    switch (b) {
        case BaseType::Bool:
            return 0;
        case BaseType::Int:
            return 1;
        case BaseType::Uint:
            return 2;
        default:
            return 3;
    }
}

const char* ScalarName(BaseType b) {
    switch (b) {
        case BaseType::Bool:
            return "bool";
        case BaseType::Int:
            return "int";
        case BaseType::Uint:
            return "uint";
        default:
            return "float";
    }
}

const char* VectorPrefix(BaseType b) {
    switch (b) {
        case BaseType::Bool:
            return "bvec";
        case BaseType::Int:
            return "ivec";
        case BaseType::Uint:
            return "uvec";
        default:
            return "vec";
    }
}

std::string Repeat(const std::string& code, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += (i ? ", " : "") + code;
    return out;
}

// "[3]" or "[3][2]": GLSL spells arrays of arrays as HLSL does.
std::string ArraySuffix(const Type& t) {
    std::string out;
    if (t.arraySize > 0) out += "[" + std::to_string(t.arraySize) + "]";
    if (t.innerArraySize > 0) out += "[" + std::to_string(t.innerArraySize) + "]";
    return out;
}

}  // namespace

std::string ShaderWriter::TypeName(const Type& t, const SourceLocation& where) {
    switch (t.base) {
        case BaseType::Void:
            return "void";
        case BaseType::Sampler:
            Fail(where,
                 "a plain 'sampler' can only be a global; use sampler2D, sampler3D or samplerCUBE");
        case BaseType::Sampler2D:
            return "sampler2D";
        case BaseType::Sampler3D:
            return "sampler3D";
        case BaseType::SamplerCube:
            return "samplerCube";
        case BaseType::Texture:
            Fail(where, "texture objects can only be used in sampler_state");
        case BaseType::String:
            Fail(where, "strings cannot be used in shader code");
        case BaseType::Struct:
            RequireStruct(t.structDecl);
            return GlslIdentifier(t.structDecl->name);
        default:
            break;
    }
    if (t.matrix) {
        if (t.base != BaseType::Float) Fail(where, "only float matrices are supported");
        if (t.rows == 1 || t.cols == 1)
            Fail(where, "matrices with one row or column are not supported");
        return t.rows == t.cols ? "mat" + std::to_string(t.rows)
                                : "mat" + std::to_string(t.rows) + "x" + std::to_string(t.cols);
    }
    if (t.cols == 1) return ScalarName(t.base);
    return VectorPrefix(t.base) + std::to_string(t.cols);
}

std::string ShaderWriter::ArrayTypeName(const Type& t, const SourceLocation& where) {
    return TypeName(t.Innermost(), where) + ArraySuffix(t);
}

std::string ShaderWriter::DeclareVariable(const Type& t, const std::string& name,
                                          const SourceLocation& where) {
    return TypeName(t.Innermost(), where) + " " + name + ArraySuffix(t);
}

std::string ShaderWriter::FillValue(const Type& t, const std::string& scalar,
                                    const SourceLocation& where) {
    if (t.arraySize > 0) {
        const std::string element = FillValue(t.Element(), scalar, where);
        return ArrayTypeName(t, where) + "(" + Repeat(element, t.arraySize) + ")";
    }
    if (t.base == BaseType::Struct) {
        std::string out = TypeName(t, where) + "(";
        for (size_t i = 0; i < t.structDecl->members.size(); ++i)
            out += (i ? ", " : "") + FillValue(t.structDecl->members[i].type, scalar, where);
        return out + ")";
    }
    if (!t.IsNumeric()) Fail(where, "cannot give a value to " + HlslTypeName(t));
    const std::string s = std::string(ScalarName(t.base)) + "(" + scalar + ")";
    if (t.IsScalar()) return s;
    return TypeName(t, where) + "(" + Repeat(s, t.Components()) + ")";
}

Type ShaderWriter::CommonType(const Type& a, const Type& b, const SourceLocation& where) {
    if (!a.IsNumeric() || !b.IsNumeric())
        Fail(where, "operands of type " + HlslTypeName(a) + " and " + HlslTypeName(b) +
                        " cannot be combined");
    Type t = Rank(a.base) >= Rank(b.base) ? a : b;
    t.base = Rank(a.base) >= Rank(b.base) ? a.base : b.base;
    if (a.IsScalar()) {
        t = b.WithBase(t.base);
    } else if (b.IsScalar()) {
        t = a.WithBase(t.base);
    } else if (a.IsVector() && b.IsVector()) {
        t = Type::Vector(t.base, std::min(a.cols, b.cols));
    } else if (a.IsMatrix() && b.IsMatrix()) {
        t = Type::Matrix(t.base, std::min(a.rows, b.rows), std::min(a.cols, b.cols));
    } else {
        Fail(where,
             "cannot combine " + HlslTypeName(a) + " and " + HlslTypeName(b) + " component-wise");
    }
    return t;
}

std::string ShaderWriter::Convert(const Value& v, const Type& to, bool explicitCast,
                                  const SourceLocation& where) {
    const Type& from = v.type;
    if (SameType(from, to)) return v.code;
    const std::string failure =
        "cannot convert from " + HlslTypeName(from) + " to " + HlslTypeName(to);
    if (from.arraySize > 0 || to.arraySize > 0) Fail(where, failure);
    if (to.base == BaseType::Struct) {
        // (S)0 and (S)x fill every member with the scalar, as HLSL does.
        if (explicitCast && from.IsScalar()) return FillValue(to, v.code, where);
        Fail(where, failure);
    }
    if (!from.IsNumeric() || !to.IsNumeric()) Fail(where, failure);
    const std::string target = TypeName(to, where);
    if (from.IsScalar()) {
        if (to.IsScalar()) return target + "(" + v.code + ")";
        if (to.IsVector()) return target + "(" + v.code + ")";
        return FillValue(to, v.code, where);
    }
    if (from.IsVector()) {
        if (to.IsScalar()) return target + "((" + v.code + ").x)";
        if (to.IsVector() && to.cols <= from.cols) {
            const std::string lanes = std::string("xyzw").substr(0, static_cast<size_t>(to.cols));
            return target + "((" + v.code + ")." + lanes + ")";
        }
        Fail(where, failure);
    }
    // from is a matrix
    if (to.IsScalar()) return target + "((" + v.code + ")[0][0])";
    if (to.IsMatrix() && to.rows <= from.rows && to.cols <= from.cols)
        return target + "(" + v.code + ")";
    Fail(where, failure);
}

std::string ShaderWriter::ToBool(const Value& v, const SourceLocation& where) {
    if (!v.type.IsScalar()) Fail(where, "condition must be a scalar, not " + HlslTypeName(v.type));
    if (v.type.base == BaseType::Bool) return v.code;
    return "bool(" + v.code + ")";
}

std::string PadToVec4(ShaderWriter& w, const Value& v, const SourceLocation& where) {
    if (!v.type.IsScalar() && !v.type.IsVector())
        Fail(where, "a " + HlslTypeName(v.type) + " cannot be passed between shader stages");
    const Type f = Type::Vector(BaseType::Float, v.type.cols);
    const std::string asFloat =
        v.type.IsScalar() ? "float(" + v.code + ")" : w.Convert(v, f, true, where);
    static const char* const kFill[] = {"", ", 0.0, 0.0, 1.0", ", 0.0, 1.0", ", 1.0", ""};
    if (v.type.cols == 4) return asFloat;
    return "vec4(" + asFloat + kFill[v.type.cols] + ")";
}

}  // namespace kl::d3dx9::hlsl
