#include "d3dx9/effect/hlsl_parser.h"

#include "d3dx9/effect/hlsl_constants.h"

#include <cctype>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <set>
#include <strings.h>

namespace kl::d3dx9::hlsl {
namespace {

constexpr int kMaxNesting = 200;
// Bounds the height of one expression's tree. A chain such as a+a+a or x.x.x
// is parsed in a loop but builds a tree as tall as the chain is long, and the
// generator walks trees recursively, so every link counts one level.
constexpr int kMaxExpressionHeight = 256;

const std::set<std::string> kTypeModifiers = {"static",
                                              "uniform",
                                              "const",
                                              "extern",
                                              "shared",
                                              "volatile",
                                              "inline",
                                              "row_major",
                                              "column_major",
                                              "precise",
                                              "nointerpolation",
                                              "linear",
                                              "centroid",
                                              "noperspective",
                                              "in",
                                              "out",
                                              "inout"};

class Parser {
public:
    explicit Parser(const std::vector<Token>& tokens) : tokens_(tokens) {}

    Module Run() {
        while (!AtEnd()) ParseTopLevel();
        return std::move(module_);
    }

private:
    // ---- token access ----

    const Token& Peek(size_t ahead = 0) const {
        const size_t i = pos_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    bool AtEnd() const { return Peek().kind == TokenKind::EndOfFile; }
    const Token& Advance() {
        const Token& t = Peek();
        if (!AtEnd()) ++pos_;
        return t;
    }
    bool Accept(const char* punct) {
        if (!Peek().Is(punct)) return false;
        Advance();
        return true;
    }
    bool AcceptWord(const char* word) {
        if (!Peek().IsWord(word)) return false;
        Advance();
        return true;
    }
    [[noreturn]] void FailAt(const Token& t, const std::string& message) const {
        Fail(t.where, message);
    }
    static std::string Describe(const Token& t) {
        if (t.kind == TokenKind::EndOfFile) return "end of file";
        if (t.kind == TokenKind::StringLiteral) return "string \"" + t.text + "\"";
        return "'" + t.text + "'";
    }
    const Token& Expect(const char* punct) {
        if (!Peek().Is(punct))
            FailAt(Peek(), std::string("expected '") + punct + "' but found " + Describe(Peek()));
        return Advance();
    }
    std::string ExpectIdentifier(const char* what) {
        if (Peek().kind != TokenKind::Identifier)
            FailAt(Peek(), std::string("expected ") + what + " but found " + Describe(Peek()));
        return Advance().text;
    }

    // Sets a freshly built node's height from its children's and refuses
    // trees taller than kMaxExpressionHeight.
    std::unique_ptr<Expr> Sized(std::unique_ptr<Expr> e) const {
        int height = 0;
        for (const auto& kid : e->kids) height = std::max(height, kid->height);
        e->height = height + 1;
        if (e->height > kMaxExpressionHeight) Fail(e->where, "expression nested too deeply");
        return e;
    }

    struct DepthGuard {
        DepthGuard(Parser& p, const Token& at) : parser(p) {
            if (++parser.depth_ > kMaxNesting) parser.FailAt(at, "nesting too deep");
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    // ---- types ----

    bool IsTypeName(const Token& t) const {
        if (t.kind != TokenKind::Identifier) return false;
        Type ignored;
        return ParseBuiltinTypeName(t.text, ignored) || structs_.count(t.text) != 0;
    }

    Type ParseType() {
        const Token& t = Peek();
        if (t.kind != TokenKind::Identifier) FailAt(t, "expected a type but found " + Describe(t));
        Type type;
        if (t.text == "vector" || t.text == "matrix") return ParseTemplatedType();
        if (ParseBuiltinTypeName(t.text, type)) {
            Advance();
            return type;
        }
        auto it = structs_.find(t.text);
        if (it == structs_.end()) FailAt(t, "unknown type '" + t.text + "'");
        Advance();
        type.base = BaseType::Struct;
        type.structDecl = it->second;
        return type;
    }

    // vector, vector<float, 3>, matrix, matrix<float, 3, 3>
    Type ParseTemplatedType() {
        const bool isMatrix = Advance().text == "matrix";
        Type type =
            isMatrix ? Type::Matrix(BaseType::Float, 4, 4) : Type::Vector(BaseType::Float, 4);
        if (!Accept("<")) return type;
        Type element;
        const Token& elementToken = Peek();
        if (!ParseBuiltinTypeName(ExpectIdentifier("element type"), element) || !element.IsScalar())
            FailAt(elementToken, "vector and matrix elements must be scalar types");
        type.base = element.base;
        Expect(",");
        const int first = ParseSmallInt();
        if (isMatrix) {
            Expect(",");
            type.rows = first;
            type.cols = ParseSmallInt();
        } else {
            type.cols = first;
        }
        Expect(">");
        return type;
    }

    int ParseSmallInt() {
        const Token& t = Peek();
        if (t.kind != TokenKind::IntLiteral || t.text.size() != 1 || t.text[0] < '1' ||
            t.text[0] > '4')
            FailAt(t, "expected a dimension from 1 to 4");
        Advance();
        return t.text[0] - '0';
    }

    // After '[': a constant integer expression, which may name earlier
    // `static const int` globals (float w[N * 2 + 1]).
    int ParseArraySize() {
        const Token& t = Peek();
        const auto size = ParseTernary();
        const Constant c = FoldConstant(*size, [this](const std::string& name) -> const VarDecl* {
            for (const auto& g : module_.globals)
                if (g->name == name) return g.get();
            return nullptr;
        });
        if (c.values.size() != 1 || !c.integer) FailAt(t, "array size must be a constant integer");
        const double n = c.values[0];
        if (n < 1 || n > 4096) FailAt(t, "array size must be between 1 and 4096");
        Expect("]");
        return static_cast<int>(n);
    }

    // Optional `[n]` or `[n][m]` after a name: an array, or an array of n
    // arrays of m elements.
    void ParseArrayDimensions(Type& type) {
        if (!Accept("[")) return;
        const Token& at = Peek();
        type.arraySize = ParseArraySize();
        if (!Accept("[")) return;
        type.innerArraySize = ParseArraySize();
        if (Peek().Is("[")) FailAt(Peek(), "arrays of more than two dimensions are not supported");
        if (type.arraySize * type.innerArraySize > 4096)
            FailAt(at, "array has more than 4096 elements");
    }

    struct Modifiers {
        bool isStatic = false, isConst = false, isUniform = false;
        bool in = false, out = false;
    };

    Modifiers ParseModifiers() {
        Modifiers m;
        while (Peek().kind == TokenKind::Identifier && kTypeModifiers.count(Peek().text)) {
            const std::string& w = Advance().text;
            if (w == "static") m.isStatic = true;
            if (w == "const") m.isConst = true;
            if (w == "uniform") m.isUniform = true;
            if (w == "in") m.in = true;
            if (w == "out") m.out = true;
            if (w == "inout") m.in = m.out = true;
        }
        return m;
    }

    // ": SEMANTIC", ": register(c0)", ": packoffset(...)"; returns the
    // semantic, and in `samplerRegister` n of a register(sn).
    std::string ParseSemanticsAndRegisters(int* samplerRegister = nullptr) {
        std::string semantic;
        while (Peek().Is(":")) {
            Advance();
            const std::string word = ExpectIdentifier("a semantic");
            if (word == "register" || word == "packoffset") {
                Expect("(");
                while (!Peek().Is(")") && !AtEnd()) {
                    const std::string& r = Advance().text;
                    if (samplerRegister && word == "register" && r.size() >= 2 && r.size() <= 3 &&
                        (r[0] == 's' || r[0] == 'S') &&
                        std::isdigit(static_cast<unsigned char>(r[1])) &&
                        std::isdigit(static_cast<unsigned char>(r.back())))
                        *samplerRegister = std::atoi(r.c_str() + 1);
                }
                Expect(")");
            } else {
                semantic = word;
            }
        }
        return semantic;
    }

    void SkipAnnotations() {
        if (!Peek().Is("<")) return;
        const Token& open = Advance();
        while (!Peek().Is(">")) {
            if (AtEnd()) FailAt(open, "unterminated annotation");
            Advance();
        }
        Advance();
    }

    void SkipAttributes() {
        while (Peek().Is("[") && Peek(1).kind == TokenKind::Identifier &&
               (Peek(2).Is("]") || Peek(2).Is("("))) {
            Advance();
            Advance();
            if (Accept("(")) {
                while (!Peek().Is(")") && !AtEnd()) Advance();
                Expect(")");
            }
            Expect("]");
        }
    }

    // ---- top level ----

    // Effect keywords (technique, pass, compile, sampler_state) are written in
    // any letter case; HLSL's own keywords are not.
    bool IsEffectWord(const Token& t, const char* word) const {
        return t.kind == TokenKind::Identifier && strcasecmp(t.text.c_str(), word) == 0;
    }

    void ParseTopLevel() {
        if (Accept(";")) return;
        if (Peek().IsWord("struct")) return ParseStruct();
        if (IsEffectWord(Peek(), "technique10") || IsEffectWord(Peek(), "technique11"))
            return SkipNewerTechnique();
        if (IsEffectWord(Peek(), "technique") || IsEffectWord(Peek(), "technique9"))
            return ParseTechnique();
        if (Peek().IsWord("typedef")) FailAt(Peek(), "typedef is not supported");
        SkipAttributes();
        const Token& start = Peek();
        Modifiers mods = ParseModifiers();
        Type type = ParseType();
        const Token& nameToken = Peek();
        const std::string name = ExpectIdentifier("a name");
        if (Peek().Is("(")) return ParseFunction(start, type, nameToken);
        ParseGlobalDeclarators(mods, type, nameToken, name);
    }

    void ParseStruct() {
        const Token& at = Advance();
        auto decl = std::make_unique<StructDecl>();
        decl->where = at.where;
        decl->name = ExpectIdentifier("a struct name");
        if (structs_.count(decl->name)) FailAt(at, "struct '" + decl->name + "' redefined");
        Expect("{");
        while (!Accept("}")) {
            ParseModifiers();
            Type type = ParseType();
            do {
                StructMember m;
                m.where = Peek().where;
                m.name = ExpectIdentifier("a member name");
                m.type = type;
                ParseArrayDimensions(m.type);
                m.semantic = ParseSemanticsAndRegisters();
                for (const auto& other : decl->members)
                    if (other.name == m.name) Fail(m.where, "duplicate member '" + m.name + "'");
                decl->members.push_back(m);
            } while (Accept(","));
            Expect(";");
        }
        Expect(";");
        if (decl->members.empty()) Fail(decl->where, "struct without members");
        structs_[decl->name] = decl.get();
        module_.structs.push_back(std::move(decl));
    }

    void ParseGlobalDeclarators(const Modifiers& mods, const Type& type, const Token& firstToken,
                                std::string name) {
        const Token* nameToken = &firstToken;
        for (;;) {
            auto var = ParseDeclaratorRest(mods, type, *nameToken, name, true);
            for (const auto& g : module_.globals)
                if (g->name == var->name) Fail(var->where, "'" + var->name + "' redefined");
            module_.globals.push_back(std::move(var));
            if (!Accept(",")) break;
            nameToken = &Peek();
            name = ExpectIdentifier("a name");
        }
        Expect(";");
    }

    std::unique_ptr<VarDecl> ParseDeclaratorRest(const Modifiers& mods, const Type& type,
                                                 const Token& nameToken, const std::string& name,
                                                 bool global) {
        auto var = std::make_unique<VarDecl>();
        var->where = nameToken.where;
        var->name = name;
        var->type = type;
        var->isStatic = mods.isStatic;
        var->isConst = mods.isConst;
        var->isUniform = mods.isUniform;
        if (type.base == BaseType::Void) FailAt(nameToken, "variable '" + name + "' of type void");
        ParseArrayDimensions(var->type);
        var->semantic = ParseSemanticsAndRegisters(&var->samplerRegister);
        if (global) SkipAnnotations();
        if (var->type.IsSampler() && var->type.innerArraySize > 0)
            FailAt(nameToken, "arrays of arrays of samplers are not supported");
        if (var->type.IsSampler() && var->type.arraySize > 0) {
            if (Accept("=")) ParseSamplerArrayStates(*var);
            return var;
        }
        // `sampler2D s { ... };`: a state block without `= sampler_state`.
        if (global && var->type.IsSampler() && Peek().Is("{")) {
            var->hasSamplerState = true;
            var->samplerStates = ParseStateBlock();
            return var;
        }
        if (Accept("=")) {
            if (IsEffectWord(Peek(), "sampler_state")) {
                if (!var->type.IsSampler()) FailAt(Peek(), "sampler_state for a non-sampler");
                Advance();
                var->hasSamplerState = true;
                var->samplerStates = ParseStateBlock();
            } else if (IsEffectWord(Peek(), "compile")) {
                FailAt(Peek(), "shader variables are not supported; compile in the pass");
            } else {
                var->init = ParseInitializer();
            }
        }
        return var;
    }

    // `= { sampler_state { ... }, sampler_state { ... } }`: one state block
    // per element of a sampler array.
    void ParseSamplerArrayStates(VarDecl& var) {
        const Token& open = Expect("{");
        while (!Accept("}")) {
            if (!IsEffectWord(Peek(), "sampler_state"))
                FailAt(Peek(), "expected 'sampler_state' but found " + Describe(Peek()));
            Advance();
            var.elementSamplerStates.push_back(ParseStateBlock());
            if (!Accept(",")) {
                Expect("}");
                break;
            }
        }
        const size_t count = var.elementSamplerStates.size();
        if (count != static_cast<size_t>(var.type.arraySize))
            FailAt(open, "sampler array '" + var.name + "' has " +
                             std::to_string(var.type.arraySize) + " elements but " +
                             std::to_string(count) + " sampler_state blocks");
    }

    std::unique_ptr<Expr> ParseInitializer() {
        if (!Peek().Is("{")) return ParseAssignment();
        DepthGuard guard(*this, Peek());
        auto list = std::make_unique<Expr>();
        list->kind = ExprKind::InitList;
        list->where = Advance().where;
        while (!Accept("}")) {
            list->kids.push_back(ParseInitializer());
            if (!Accept(",")) {
                Expect("}");
                break;
            }
        }
        if (list->kids.empty()) Fail(list->where, "empty initializer list");
        return Sized(std::move(list));
    }

    void ParseFunction(const Token& start, const Type& returnType, const Token& nameToken) {
        auto fn = std::make_unique<Function>();
        fn->where = nameToken.where;
        fn->name = nameToken.text;
        fn->returnType = returnType;
        Expect("(");
        if (Peek().IsWord("void") && Peek(1).Is(")")) Advance();
        while (!Accept(")")) {
            fn->params.push_back(ParseParam());
            if (!Accept(",")) {
                Expect(")");
                break;
            }
        }
        fn->returnSemantic = ParseSemanticsAndRegisters();
        if (!Accept(";")) {
            if (!Peek().Is("{")) FailAt(Peek(), "expected '{' but found " + Describe(Peek()));
            fn->body = ParseBlock();
        }
        module_.functions.push_back(std::move(fn));
    }

    Param ParseParam() {
        Param p;
        p.where = Peek().where;
        Modifiers m = ParseModifiers();
        p.type = ParseType();
        p.name = ExpectIdentifier("a parameter name");
        ParseArrayDimensions(p.type);
        p.semantic = ParseSemanticsAndRegisters();
        if (m.isUniform) {
            p.qualifier = ParamQualifier::Uniform;
        } else if (m.in && m.out) {
            p.qualifier = ParamQualifier::InOut;
        } else if (m.out) {
            p.qualifier = ParamQualifier::Out;
        }
        if (Accept("=")) FailAt(Peek(), "default parameter values are not supported");
        if (p.type.base == BaseType::Void) Fail(p.where, "parameter of type void");
        return p;
    }

    // ---- techniques and state blocks ----

    void ParseTechnique() {
        TechniqueDecl tech;
        tech.where = Advance().where;
        if (Peek().kind == TokenKind::Identifier) tech.name = Advance().text;
        SkipAnnotations();
        Expect("{");
        while (!Accept("}")) {
            if (!IsEffectWord(Peek(), "pass"))
                FailAt(Peek(), "expected 'pass' but found " + Describe(Peek()));
            tech.passes.push_back(ParsePass());
        }
        for (const auto& other : module_.techniques)
            if (!tech.name.empty() && other.name == tech.name)
                Fail(tech.where, "technique '" + tech.name + "' redefined");
        module_.techniques.push_back(std::move(tech));
    }

    // Direct3D 10 and 11 techniques sit beside Direct3D 9 ones in shared
    // effect files; D3DX 9 passes over them, and so does this parser, by
    // matching braces.
    void SkipNewerTechnique() {
        const Token& at = Advance();
        while (!Peek().Is("{")) {
            if (AtEnd()) FailAt(at, "expected '{' after '" + at.text + "'");
            Advance();
        }
        int depth = 0;
        do {
            if (AtEnd()) FailAt(at, "unterminated '" + at.text + "' block");
            if (Peek().Is("{")) ++depth;
            if (Peek().Is("}")) --depth;
            Advance();
        } while (depth > 0);
    }

    PassDecl ParsePass() {
        PassDecl pass;
        pass.where = Advance().where;
        if (Peek().kind == TokenKind::Identifier) pass.name = Advance().text;
        SkipAnnotations();
        Expect("{");
        while (!Accept("}")) {
            const Token& nameToken = Peek();
            const std::string name = ExpectIdentifier("a state name");
            const bool vertex = strcasecmp(name.c_str(), "VertexShader") == 0;
            if (vertex || strcasecmp(name.c_str(), "PixelShader") == 0) {
                Expect("=");
                auto compiled = ParseCompile();
                (vertex ? pass.setsVertexShader : pass.setsPixelShader) = true;
                (vertex ? pass.vertexShader : pass.pixelShader) = std::move(compiled);
                Expect(";");
                continue;
            }
            pass.states.push_back(ParseStateAssignmentAfterName(nameToken));
        }
        return pass;
    }

    std::unique_ptr<ShaderCompile> ParseCompile() {
        if (IsEffectWord(Peek(), "NULL")) {
            Advance();
            return nullptr;
        }
        if (Peek().Is("(") && IsEffectWord(Peek(1), "NULL")) {
            Advance();
            Advance();
            Expect(")");
            return nullptr;
        }
        auto c = std::make_unique<ShaderCompile>();
        c->where = Peek().where;
        if (!IsEffectWord(Peek(), "compile"))
            FailAt(Peek(), "expected 'compile <profile> <function>(...)' or NULL");
        Advance();
        c->profile = ExpectIdentifier("a shader profile");
        for (char& ch : c->profile)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        c->entry = ExpectIdentifier("an entry function");
        Expect("(");
        while (!Accept(")")) {
            c->args.push_back(ParseAssignment());
            if (!Accept(",")) {
                Expect(")");
                break;
            }
        }
        return c;
    }

    std::vector<StateAssignment> ParseStateBlock() {
        Expect("{");
        std::vector<StateAssignment> states;
        while (!Accept("}")) {
            const Token& nameToken = Peek();
            ExpectIdentifier("a state name");
            states.push_back(ParseStateAssignmentAfterName(nameToken));
        }
        return states;
    }

    StateAssignment ParseStateAssignmentAfterName(const Token& nameToken) {
        StateAssignment s;
        s.where = nameToken.where;
        s.name = nameToken.text;
        if (Accept("[")) {
            const Token& t = Peek();
            if (t.kind != TokenKind::IntLiteral) FailAt(t, "state index must be an integer");
            s.index = static_cast<int>(std::strtol(t.text.c_str(), nullptr, 0) & 0xffff);
            Advance();
            Expect("]");
        }
        Expect("=");
        if (Accept("<")) {  // Texture = <t>;
            s.terms.push_back(NameTerm(ExpectIdentifier("a texture name")));
            Expect(">");
        } else {
            do {
                s.terms.push_back(ParseStateTerm());
            } while (Accept("|"));
        }
        Expect(";");
        return s;
    }

    static StateValueTerm NameTerm(const std::string& name) {
        StateValueTerm t;
        t.kind = StateValueTerm::Kind::Name;
        t.name = name;
        return t;
    }

    StateValueTerm ParseStateTerm() {
        if (Peek().Is("(")) {  // Texture = (t);
            Advance();
            StateValueTerm t = ParseStateTerm();
            Expect(")");
            return t;
        }
        const bool negative = Accept("-");
        const Token& t = Peek();
        StateValueTerm term;
        if (t.kind == TokenKind::IntLiteral || t.kind == TokenKind::FloatLiteral) {
            term.kind = StateValueTerm::Kind::Number;
            term.number = t.kind == TokenKind::IntLiteral
                              ? static_cast<double>(std::strtoull(t.text.c_str(), nullptr, 0))
                              : std::strtod(t.text.c_str(), nullptr);
            if (negative) term.number = -term.number;
        } else if (!negative && (t.IsWord("true") || t.IsWord("TRUE") || t.IsWord("false") ||
                                 t.IsWord("FALSE"))) {
            term.kind = StateValueTerm::Kind::Bool;
            term.number = (t.text == "true" || t.text == "TRUE") ? 1 : 0;
        } else if (!negative && t.kind == TokenKind::Identifier) {
            term = NameTerm(t.text);
        } else {
            FailAt(t, "expected a state value but found " + Describe(t));
        }
        Advance();
        return term;
    }

    // ---- statements ----

    std::unique_ptr<Stmt> ParseBlock() {
        DepthGuard guard(*this, Peek());
        auto block = std::make_unique<Stmt>();
        block->kind = StmtKind::Block;
        block->where = Expect("{").where;
        while (!Accept("}")) {
            if (AtEnd()) FailAt(Peek(), "expected '}' but found end of file");
            block->body.push_back(ParseStatement());
        }
        return block;
    }

    bool StartsDeclaration() const {
        const Token& t = Peek();
        if (t.kind != TokenKind::Identifier) return false;
        if (kTypeModifiers.count(t.text)) return true;
        // `float4(...)` at statement start is an expression (a constructor).
        return IsTypeName(t) && !Peek(1).Is("(");
    }

    std::unique_ptr<Stmt> ParseStatement() {
        DepthGuard guard(*this, Peek());
        SkipAttributes();
        auto s = std::make_unique<Stmt>();
        s->where = Peek().where;
        if (Peek().Is("{")) return ParseBlock();
        if (Accept(";")) {
            s->kind = StmtKind::Empty;
        } else if (AcceptWord("if")) {
            s->kind = StmtKind::If;
            Expect("(");
            s->expr = ParseExpression();
            Expect(")");
            s->then = ParseStatement();
            if (AcceptWord("else")) s->otherwise = ParseStatement();
        } else if (AcceptWord("for")) {
            ParseFor(*s);
        } else if (AcceptWord("while")) {
            s->kind = StmtKind::While;
            Expect("(");
            s->expr = ParseExpression();
            Expect(")");
            s->then = ParseStatement();
        } else if (AcceptWord("do")) {
            s->kind = StmtKind::DoWhile;
            s->then = ParseStatement();
            if (!AcceptWord("while")) FailAt(Peek(), "expected 'while' after do body");
            Expect("(");
            s->expr = ParseExpression();
            Expect(")");
            Expect(";");
        } else if (AcceptWord("return")) {
            s->kind = StmtKind::Return;
            if (!Peek().Is(";")) s->expr = ParseExpression();
            Expect(";");
        } else if (AcceptWord("discard")) {
            s->kind = StmtKind::Discard;
            Expect(";");
        } else if (AcceptWord("break")) {
            s->kind = StmtKind::Break;
            Expect(";");
        } else if (AcceptWord("continue")) {
            s->kind = StmtKind::Continue;
            Expect(";");
        } else if (StartsDeclaration()) {
            ParseLocalDeclaration(*s);
            Expect(";");
        } else {
            s->kind = StmtKind::Expr;
            s->expr = ParseExpression();
            Expect(";");
        }
        return s;
    }

    void ParseFor(Stmt& s) {
        s.kind = StmtKind::For;
        Expect("(");
        auto init = std::make_unique<Stmt>();
        init->where = Peek().where;
        if (StartsDeclaration()) {
            ParseLocalDeclaration(*init);
        } else if (!Peek().Is(";")) {
            init->kind = StmtKind::Expr;
            init->expr = ParseExpression();
        }
        s.init = std::move(init);
        Expect(";");
        if (!Peek().Is(";")) s.expr = ParseExpression();
        Expect(";");
        if (!Peek().Is(")")) s.step = ParseExpression();
        Expect(")");
        s.then = ParseStatement();
    }

    void ParseLocalDeclaration(Stmt& s) {
        s.kind = StmtKind::Decl;
        Modifiers mods = ParseModifiers();
        Type type = ParseType();
        do {
            const Token& nameToken = Peek();
            const std::string name = ExpectIdentifier("a variable name");
            s.decls.push_back(ParseDeclaratorRest(mods, type, nameToken, name, false));
            if (s.decls.back()->hasSamplerState) Fail(nameToken.where, "local sampler_state");
        } while (Accept(","));
    }

    // ---- expressions ----

    std::unique_ptr<Expr> ParseExpression() {
        auto e = ParseAssignment();
        while (Peek().Is(",")) {
            const Token& comma = Advance();
            auto seq = std::make_unique<Expr>();
            seq->kind = ExprKind::Binary;
            seq->where = comma.where;
            seq->text = ",";
            seq->kids.push_back(std::move(e));
            seq->kids.push_back(ParseAssignment());
            e = Sized(std::move(seq));
        }
        return e;
    }

    static bool IsAssignOp(const Token& t) {
        static const std::set<std::string> ops = {
            "=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="};
        return t.kind == TokenKind::Punct && ops.count(t.text) != 0;
    }

    std::unique_ptr<Expr> ParseAssignment() {
        DepthGuard guard(*this, Peek());
        auto lhs = ParseTernary();
        if (!IsAssignOp(Peek())) return lhs;
        const Token& op = Advance();
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Assign;
        e->where = op.where;
        e->text = op.text;
        e->kids.push_back(std::move(lhs));
        e->kids.push_back(ParseAssignment());
        return Sized(std::move(e));
    }

    std::unique_ptr<Expr> ParseTernary() {
        auto cond = ParseBinary(1);
        if (!Peek().Is("?")) return cond;
        DepthGuard guard(*this, Peek());
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Ternary;
        e->where = Advance().where;
        e->kids.push_back(std::move(cond));
        e->kids.push_back(ParseAssignment());
        Expect(":");
        e->kids.push_back(ParseAssignment());
        return Sized(std::move(e));
    }

    static int BinaryPrecedence(const Token& t) {
        static const std::map<std::string, int> table = {
            {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
            {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
            {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
        if (t.kind != TokenKind::Punct) return -1;
        auto it = table.find(t.text);
        return it == table.end() ? -1 : it->second;
    }

    std::unique_ptr<Expr> ParseBinary(int minPrec) {
        DepthGuard guard(*this, Peek());
        auto lhs = ParseUnary();
        for (;;) {
            const int prec = BinaryPrecedence(Peek());
            if (prec < minPrec) return lhs;
            const Token& op = Advance();
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Binary;
            e->where = op.where;
            e->text = op.text;
            e->kids.push_back(std::move(lhs));
            e->kids.push_back(ParseBinary(prec + 1));
            lhs = Sized(std::move(e));
        }
    }

    bool StartsCast() const {
        if (!Peek().Is("(") || !IsTypeName(Peek(1))) return false;
        size_t i = 2;
        if (Peek(1).IsWord("vector") || Peek(1).IsWord("matrix")) {
            if (Peek(2).Is("<")) {
                while (!Peek(i).Is(">") && Peek(i).kind != TokenKind::EndOfFile) ++i;
                ++i;
            }
        }
        if (Peek(i).Is("[")) i += 3;  // (float2[2])
        return Peek(i).Is(")");
    }

    std::unique_ptr<Expr> ParseUnary() {
        DepthGuard guard(*this, Peek());
        const Token& t = Peek();
        if (t.Is("-") || t.Is("+") || t.Is("!") || t.Is("~") || t.Is("++") || t.Is("--")) {
            Advance();
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Unary;
            e->where = t.where;
            e->text = t.text;
            e->kids.push_back(ParseUnary());
            return Sized(std::move(e));
        }
        if (StartsCast()) {
            auto e = std::make_unique<Expr>();
            e->kind = ExprKind::Cast;
            e->where = Advance().where;
            e->type = ParseType();
            if (Accept("[")) e->type.arraySize = ParseArraySize();
            Expect(")");
            e->kids.push_back(ParseUnary());
            return Sized(std::move(e));
        }
        return ParsePostfix(ParsePrimary());
    }

    std::unique_ptr<Expr> ParsePostfix(std::unique_ptr<Expr> e) {
        for (;;) {
            const Token& t = Peek();
            if (t.Is(".")) {
                Advance();
                auto m = std::make_unique<Expr>();
                m->kind = ExprKind::Member;
                m->where = t.where;
                m->text = ExpectIdentifier("a member name");
                m->kids.push_back(std::move(e));
                e = Sized(std::move(m));
            } else if (t.Is("[")) {
                DepthGuard guard(*this, t);
                Advance();
                auto ix = std::make_unique<Expr>();
                ix->kind = ExprKind::Index;
                ix->where = t.where;
                ix->kids.push_back(std::move(e));
                ix->kids.push_back(ParseExpression());
                Expect("]");
                e = Sized(std::move(ix));
            } else if (t.Is("++") || t.Is("--")) {
                Advance();
                auto p = std::make_unique<Expr>();
                p->kind = ExprKind::Postfix;
                p->where = t.where;
                p->text = t.text;
                p->kids.push_back(std::move(e));
                e = Sized(std::move(p));
            } else {
                return e;
            }
        }
    }

    void ParseArguments(Expr& call) {
        Expect("(");
        while (!Accept(")")) {
            call.kids.push_back(ParseAssignment());
            if (!Accept(",")) {
                Expect(")");
                break;
            }
        }
    }

    std::unique_ptr<Expr> ParsePrimary() {
        const Token& t = Peek();
        auto e = std::make_unique<Expr>();
        e->where = t.where;
        if (t.kind == TokenKind::IntLiteral || t.kind == TokenKind::FloatLiteral) {
            e->kind =
                t.kind == TokenKind::IntLiteral ? ExprKind::IntLiteral : ExprKind::FloatLiteral;
            e->text = t.text;
            Advance();
            return e;
        }
        if (t.IsWord("true") || t.IsWord("false")) {
            e->kind = ExprKind::BoolLiteral;
            e->text = t.text;
            Advance();
            return e;
        }
        if (Accept("(")) {
            DepthGuard guard(*this, t);
            auto inner = ParseExpression();
            Expect(")");
            return inner;
        }
        if (IsTypeName(t) && (Peek(1).Is("(") || Peek(1).Is("<"))) {
            e->kind = ExprKind::Constructor;
            e->type = ParseType();
            ParseArguments(*e);
            return Sized(std::move(e));
        }
        if (t.kind == TokenKind::Identifier) {
            e->text = Advance().text;
            if (Peek().Is("(")) {
                e->kind = ExprKind::Call;
                ParseArguments(*e);
                return Sized(std::move(e));
            } else {
                e->kind = ExprKind::Name;
            }
            return e;
        }
        FailAt(t, "expected an expression but found " + Describe(t));
    }

    const std::vector<Token>& tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
    Module module_;
    std::map<std::string, const StructDecl*> structs_;
};

}  // namespace

Expr::~Expr() {
    std::vector<std::unique_ptr<Expr>> pending = std::move(kids);
    while (!pending.empty()) {
        std::unique_ptr<Expr> e = std::move(pending.back());
        pending.pop_back();
        for (auto& kid : e->kids) pending.push_back(std::move(kid));
        e->kids.clear();
    }
}

Module Parse(const std::vector<Token>& tokens) {
    return Parser(tokens).Run();
}

}  // namespace kl::d3dx9::hlsl
