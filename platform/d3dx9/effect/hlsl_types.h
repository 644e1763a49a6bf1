// HLSL value types as the translator sees them: numeric scalars, vectors and
// matrices, samplers, textures, strings and structs, each possibly an array.
#pragma once

#include <string>

namespace kl::d3dx9::hlsl {

struct StructDecl;

enum class BaseType {
    Void,
    Bool,
    Int,
    Uint,
    Float,
    Sampler,  // `sampler`: its kind follows from the fetches that use it
    Sampler2D,
    Sampler3D,
    SamplerCube,
    Texture,
    String,
    Struct
};

struct Type {
    BaseType base = BaseType::Void;
    int rows = 1;  // > 1 only for matrices
    int cols = 1;  // vector size, or matrix column count
    bool matrix = false;
    int arraySize = 0;  // 0: not an array; the outer count of an array of arrays
    const StructDecl* structDecl = nullptr;
    int innerArraySize = 0;  // an array of arrays (float4 w[3][2]): the inner count

    static Type Scalar(BaseType b) { return Type{b, 1, 1, false, 0, nullptr, 0}; }
    static Type Vector(BaseType b, int n) { return Type{b, 1, n, false, 0, nullptr, 0}; }
    static Type Matrix(BaseType b, int r, int c) { return Type{b, r, c, true, 0, nullptr, 0}; }

    bool IsNumeric() const {
        return arraySize == 0 && (base == BaseType::Bool || base == BaseType::Int ||
                                  base == BaseType::Uint || base == BaseType::Float);
    }
    bool IsScalar() const { return IsNumeric() && !matrix && cols == 1; }
    bool IsVector() const { return IsNumeric() && !matrix && cols > 1; }
    bool IsMatrix() const { return IsNumeric() && matrix; }
    bool IsSampler() const {
        return base == BaseType::Sampler || base == BaseType::Sampler2D ||
               base == BaseType::Sampler3D || base == BaseType::SamplerCube;
    }
    int Components() const { return rows * cols; }
    Type Element() const {  // the type of one array element (an array for an array of arrays)
        Type t = *this;
        t.arraySize = innerArraySize;
        t.innerArraySize = 0;
        return t;
    }
    Type Innermost() const {  // the type of the values the array holds
        Type t = *this;
        t.arraySize = 0;
        t.innerArraySize = 0;
        return t;
    }
    // How many innermost values the variable holds (1 when not an array).
    int Count() const {
        return (arraySize > 0 ? arraySize : 1) * (innerArraySize > 0 ? innerArraySize : 1);
    }
    Type WithBase(BaseType b) const {
        Type t = *this;
        t.base = b;
        return t;
    }
};

bool SameType(const Type& a, const Type& b);

// HLSL spelling for messages ("float4", "float4x4", "S").
std::string HlslTypeName(const Type& t);

// Parses a built-in type name (float, half3, int2, float4x4, bool, dword,
// sampler2D, texture, string, vector, matrix, ...). Returns false for other words.
bool ParseBuiltinTypeName(const std::string& word, Type& out);

}  // namespace kl::d3dx9::hlsl
