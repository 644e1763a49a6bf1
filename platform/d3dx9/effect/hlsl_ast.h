// Syntax tree of an effect file: structs, global variables, functions and
// techniques with their passes.
#pragma once

#include "d3dx9/effect/hlsl_diagnostics.h"
#include "d3dx9/effect/hlsl_types.h"

#include <memory>
#include <string>
#include <vector>

namespace kl::d3dx9::hlsl {

enum class ExprKind {
    IntLiteral,
    FloatLiteral,
    BoolLiteral,
    Name,
    Unary,    // op: "-", "+", "!", "~", "++", "--" (prefix)
    Postfix,  // op: "++", "--"
    Binary,
    Assign,  // op: "=", "+=", ...
    Ternary,
    Call,         // name(args)
    Constructor,  // type(args)
    Cast,         // (type)expr
    Member,       // kids[0].name
    Index,        // kids[0][kids[1]]
    InitList,     // { kids }
};

struct Expr {
    ExprKind kind = ExprKind::IntLiteral;
    SourceLocation where;
    std::string text;  // literal spelling, name, operator or member
    Type type;         // Constructor / Cast target
    std::vector<std::unique_ptr<Expr>> kids;
    // Levels from this node down to its deepest leaf (1 for a leaf); the
    // parser bounds it, and everything that walks the tree recursively
    // relies on that bound.
    int height = 1;

    Expr() = default;
    Expr(Expr&&) = default;
    Expr& operator=(Expr&&) = default;
    // Frees the subtree with an explicit work list, so releasing a tree never
    // recurses as deep as the tree is.
    ~Expr();
};

struct StateValueTerm {
    enum class Kind { Name, Number, Bool } kind = Kind::Number;
    std::string name;
    double number = 0;
};

// `Name[index] = value;` inside a pass or a sampler_state block. The value is
// one term or several joined with '|' (ColorWriteEnable = Red | Green).
struct StateAssignment {
    SourceLocation where;
    std::string name;
    int index = -1;
    std::vector<StateValueTerm> terms;
};

struct VarDecl {
    SourceLocation where;
    std::string name;
    Type type;
    std::string semantic;
    bool isStatic = false;
    bool isConst = false;
    bool isUniform = false;
    std::unique_ptr<Expr> init;
    bool hasSamplerState = false;
    std::vector<StateAssignment> samplerStates;
    int samplerRegister = -1;  // n of `: register(sn)`, the sampler's fixed stage
    // A sampler array's state blocks, one per element; element i of an array
    // bound with register(sn) takes stage n + i.
    std::vector<std::vector<StateAssignment>> elementSamplerStates;
};

struct StructMember {
    SourceLocation where;
    std::string name;
    Type type;
    std::string semantic;
};

struct StructDecl {
    SourceLocation where;
    std::string name;
    std::vector<StructMember> members;
};

enum class StmtKind {
    Block,
    Expr,
    Decl,
    If,
    For,
    While,
    DoWhile,
    Return,
    Discard,
    Break,
    Continue,
    Empty
};

struct Stmt {
    StmtKind kind = StmtKind::Empty;
    SourceLocation where;
    std::vector<std::unique_ptr<Stmt>> body;      // Block
    std::vector<std::unique_ptr<VarDecl>> decls;  // Decl
    std::unique_ptr<Expr> expr;                   // Expr, Return value, loop/if condition
    std::unique_ptr<Expr> step;                   // For
    std::unique_ptr<Stmt> init;                   // For
    std::unique_ptr<Stmt> then;                   // If / loop body
    std::unique_ptr<Stmt> otherwise;              // If
};

enum class ParamQualifier { In, Out, InOut, Uniform };

struct Param {
    SourceLocation where;
    std::string name;
    Type type;
    std::string semantic;
    ParamQualifier qualifier = ParamQualifier::In;
};

struct Function {
    SourceLocation where;
    std::string name;
    Type returnType;
    std::string returnSemantic;
    std::vector<Param> params;
    std::unique_ptr<Stmt> body;  // null for a prototype
};

struct ShaderCompile {
    SourceLocation where;
    std::string profile;  // vs_2_0, ps_3_0, ...
    std::string entry;
    std::vector<std::unique_ptr<Expr>> args;
};

struct PassDecl {
    SourceLocation where;
    std::string name;
    // Whether the pass assigns each shader state; the assignment may be NULL
    // (fixed function), and a stage the pass does not assign keeps the shader
    // an earlier pass left.
    bool setsVertexShader = false;
    bool setsPixelShader = false;
    std::unique_ptr<ShaderCompile> vertexShader;
    std::unique_ptr<ShaderCompile> pixelShader;
    std::vector<StateAssignment> states;
};

struct TechniqueDecl {
    SourceLocation where;
    std::string name;
    std::vector<PassDecl> passes;
};

struct Module {
    std::vector<std::unique_ptr<StructDecl>> structs;
    std::vector<std::unique_ptr<VarDecl>> globals;
    std::vector<std::unique_ptr<Function>> functions;
    std::vector<TechniqueDecl> techniques;
};

}  // namespace kl::d3dx9::hlsl
