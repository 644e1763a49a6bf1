// Writes one GLSL shader (vertex or fragment) from the syntax tree: types and
// checks every expression, converts HLSL's implicit conversions into explicit
// GLSL ones, and collects the structs, uniforms, samplers, statics, helper
// functions and user functions the shader actually uses.
#pragma once

#include "d3dx9/effect/glsl_generator.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

enum class Stage { Vertex, Fragment };

// A sampler a shader reads: a sampler global, or one element of a sampler
// array (each element read becomes a GLSL sampler of its own).
struct UsedSampler {
    const VarDecl* decl = nullptr;
    int element = -1;
    std::string glslName;
};

struct Value {
    std::string code;
    Type type;
    bool assignable = false;
    const VarDecl* global = nullptr;  // the effect global this value names, if any
};

class ShaderWriter {
public:
    ShaderWriter(const Module& module, Stage stage) : module_(module), stage_(stage) {}

    // ---- collected while writing ----
    const std::vector<const VarDecl*>& UsedUniforms() const { return uniforms_; }
    const std::vector<UsedSampler>& UsedSamplers() const { return samplers_; }

    // Emits a user function (and everything it uses) once; returns its GLSL name.
    std::string RequireFunction(const Function& fn);
    // Expression in global scope (compile arguments).
    Value WriteGlobalExpression(const Expr& e) { return WriteExpr(e); }

    // Assembles the declarations (structs, uniforms, statics, helpers,
    // functions) that precede main().
    std::string Declarations();
    // Static globals' initialisation, to run first in main().
    std::string StaticInitialisation() const;

    // ---- types and conversions (glsl_conversions.cpp) ----
    // GLSL name of a type that is not an array.
    std::string TypeName(const Type& t, const SourceLocation& where);
    // The GLSL spelling of an array type for constructors ("vec4[3][2]").
    std::string ArrayTypeName(const Type& t, const SourceLocation& where);
    std::string Convert(const Value& v, const Type& to, bool explicitCast,
                        const SourceLocation& where);
    std::string FillValue(const Type& t, const std::string& scalar, const SourceLocation& where);
    static Type CommonType(const Type& a, const Type& b, const SourceLocation& where);
    std::string ToBool(const Value& v, const SourceLocation& where);
    std::string DeclareVariable(const Type& t, const std::string& name,
                                const SourceLocation& where);

private:
    // ---- expressions (glsl_expressions.cpp) ----
    Value WriteExpr(const Expr& e);
    Value WriteLiteral(const Expr& e);
    Value WriteName(const Expr& e);
    Value WriteUnary(const Expr& e);
    Value WritePostfix(const Expr& e);
    Value WriteBinary(const Expr& e);
    Value WriteArithmetic(const std::string& op, const Value& a, const Value& b,
                          const SourceLocation& where);
    Value WriteComparison(const std::string& op, const Value& a, const Value& b,
                          const SourceLocation& where);
    Value WriteAssign(const Expr& e);
    Value WriteTernary(const Expr& e);
    Value WriteConstructor(const Expr& e);
    Value WriteCast(const Expr& e);
    Value WriteMember(const Expr& e);
    Value WriteSwizzle(const Value& base, const std::string& swizzle, const SourceLocation& where);
    Value WriteMatrixElements(const Value& base, const std::string& member,
                              const SourceLocation& where);
    Value WriteIndex(const Expr& e);
    Value WriteSamplerElement(const Value& array, const Expr& indexing);
    Value WriteCall(const Expr& e);
    Value WriteUserCall(const Expr& e, std::vector<Value>& args);
    std::string WriteInitializer(const Expr& init, const Type& target);
    std::string WriteArrayInitializer(const std::vector<const Expr*>& items, const Type& target,
                                      const SourceLocation& where);

    // ---- intrinsics (glsl_intrinsics.cpp) ----
    bool WriteIntrinsic(const Expr& e, std::vector<Value>& args, Value& result);
    Value WriteMul(Value a, Value b, const SourceLocation& where);
    void SettleSamplerKind(Value& sampler, BaseType kind, const SourceLocation& where);
    Value WriteTextureFetch(const std::string& name, std::vector<Value>& args,
                            const SourceLocation& where);
    std::string RequireHelper(const std::string& kind, const Type& t, const SourceLocation& where);

    // ---- statements (glsl_statements.cpp) ----
    void WriteStatement(const Stmt& s, std::string& out, int indent);
    void WriteBody(const Stmt& body, std::string& out, int indent);
    void WriteDeclaration(const VarDecl& d, std::string& out, const std::string& pad);
    void WriteForInit(const Stmt& init, std::string& out, const std::string& pad);
    std::string WriteFunctionBody(const Function& fn);

    // ---- names ----
    struct Symbol {
        Type type;
        std::string glslName;
        bool assignable = true;
    };
    void PushScope() { scopes_.emplace_back(); }
    void PopScope() { scopes_.pop_back(); }
    std::string AddLocal(const std::string& name, const Type& t, const SourceLocation& where);
    const Symbol* FindLocal(const std::string& name) const;
    Value UseGlobal(const VarDecl& g, const SourceLocation& where);
    void RequireStruct(const StructDecl* s);

    const Module& module_;
    Stage stage_;
    std::vector<std::map<std::string, Symbol>> scopes_;
    const Function* currentFunction_ = nullptr;
    int loopDepth_ = 0;

    std::set<const StructDecl*> structs_;
    std::vector<const VarDecl*> uniforms_;
    std::vector<UsedSampler> samplers_;
    std::map<const VarDecl*, BaseType> samplerKinds_;  // kinds of `sampler` globals
    std::vector<const VarDecl*> statics_;
    std::map<const VarDecl*, std::string> staticInit_;
    std::map<std::string, std::string> helpers_;  // helper name -> code
    std::map<const Function*, std::string> functionNames_;
    std::set<const Function*> inProgress_;
    std::vector<std::string> functionCode_;  // callees before callers
};

// "vec4(x, 0.0, 0.0, 1.0)"-style widening of a numeric value to vec4 for
// varyings and colour outputs.
std::string PadToVec4(ShaderWriter& w, const Value& v, const SourceLocation& where);

}  // namespace kl::d3dx9::hlsl
