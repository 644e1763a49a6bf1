#include "d3dx9/effect/hlsl_types.h"

#include "d3dx9/effect/hlsl_ast.h"

#include <map>

namespace kl::d3dx9::hlsl {

bool SameType(const Type& a, const Type& b) {
    return a.base == b.base && a.rows == b.rows && a.cols == b.cols && a.matrix == b.matrix &&
           a.arraySize == b.arraySize && a.innerArraySize == b.innerArraySize &&
           a.structDecl == b.structDecl;
}

std::string HlslTypeName(const Type& t) {
    std::string name;
    switch (t.base) {
        case BaseType::Void:
            name = "void";
            break;
        case BaseType::Bool:
            name = "bool";
            break;
        case BaseType::Int:
            name = "int";
            break;
        case BaseType::Uint:
            name = "uint";
            break;
        case BaseType::Float:
            name = "float";
            break;
        case BaseType::Sampler:
            name = "sampler";
            break;
        case BaseType::Sampler2D:
            name = "sampler2D";
            break;
        case BaseType::Sampler3D:
            name = "sampler3D";
            break;
        case BaseType::SamplerCube:
            name = "samplerCUBE";
            break;
        case BaseType::Texture:
            name = "texture";
            break;
        case BaseType::String:
            name = "string";
            break;
        case BaseType::Struct:
            name = t.structDecl ? t.structDecl->name : "struct";
            break;
    }
    if (t.matrix) {
        name += std::to_string(t.rows) + "x" + std::to_string(t.cols);
    } else if (t.cols > 1) {
        name += std::to_string(t.cols);
    }
    if (t.arraySize > 0) name += "[" + std::to_string(t.arraySize) + "]";
    if (t.innerArraySize > 0) name += "[" + std::to_string(t.innerArraySize) + "]";
    return name;
}

namespace {

bool ParseShape(const std::string& rest, Type& out) {
    if (rest.empty()) return true;
    auto digit = [](char c) { return c >= '1' && c <= '4'; };
    if (rest.size() == 1 && digit(rest[0])) {
        out.cols = rest[0] - '0';
        return true;
    }
    if (rest.size() == 3 && digit(rest[0]) && rest[1] == 'x' && digit(rest[2])) {
        out.rows = rest[0] - '0';
        out.cols = rest[2] - '0';
        out.matrix = !(out.rows == 1 && out.cols == 1);  // float1x1 is a scalar
        return true;
    }
    return false;
}

}  // namespace

bool ParseBuiltinTypeName(const std::string& word, Type& out) {
    static const std::map<std::string, BaseType> objects = {{"sampler", BaseType::Sampler},
                                                            {"sampler1D", BaseType::Sampler2D},
                                                            {"sampler2D", BaseType::Sampler2D},
                                                            {"sampler3D", BaseType::Sampler3D},
                                                            {"samplerCUBE", BaseType::SamplerCube},
                                                            {"texture", BaseType::Texture},
                                                            {"texture1D", BaseType::Texture},
                                                            {"texture2D", BaseType::Texture},
                                                            {"texture3D", BaseType::Texture},
                                                            {"textureCUBE", BaseType::Texture},
                                                            {"Texture", BaseType::Texture},
                                                            {"string", BaseType::String},
                                                            {"void", BaseType::Void},
                                                            {"dword", BaseType::Uint},
                                                            {"DWORD", BaseType::Uint}};
    out = Type{};
    auto it = objects.find(word);
    if (it != objects.end()) {
        out.base = it->second;
        return true;
    }
    if (word == "vector") {
        out = Type::Vector(BaseType::Float, 4);
        return true;
    }
    if (word == "matrix") {
        out = Type::Matrix(BaseType::Float, 4, 4);
        return true;
    }
    static const std::pair<const char*, BaseType> scalars[] = {
        {"float", BaseType::Float},      {"half", BaseType::Float}, {"double", BaseType::Float},
        {"min16float", BaseType::Float}, {"int", BaseType::Int},    {"uint", BaseType::Uint},
        {"bool", BaseType::Bool}};
    for (const auto& [prefix, base] : scalars) {
        const std::string p = prefix;
        if (word.compare(0, p.size(), p) != 0) continue;
        out = Type::Scalar(base);
        if (ParseShape(word.substr(p.size()), out)) return true;
        out = Type{};
    }
    return false;
}

}  // namespace kl::d3dx9::hlsl
