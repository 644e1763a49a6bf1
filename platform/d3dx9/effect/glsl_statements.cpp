// Statements, functions, scopes and the globals a shader uses.
#include "d3dx9/effect/glsl_names.h"
#include "d3dx9/effect/glsl_shader_writer.h"
#include "d3dx9/effect/hlsl_loop_count.h"

#include <algorithm>

namespace kl::d3dx9::hlsl {

std::string ShaderWriter::AddLocal(const std::string& name, const Type& t,
                                   const SourceLocation& where) {
    if (scopes_.back().count(name)) Fail(where, "'" + name + "' redefined");
    Symbol s{t, GlslIdentifier(name), true};
    scopes_.back()[name] = s;
    return s.glslName;
}

const ShaderWriter::Symbol* ShaderWriter::FindLocal(const std::string& name) const {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
        auto found = it->find(name);
        if (found != it->end()) return &found->second;
    }
    return nullptr;
}

void ShaderWriter::RequireStruct(const StructDecl* s) {
    if (!structs_.insert(s).second) return;
    for (const auto& m : s->members)
        if (m.type.base == BaseType::Struct) RequireStruct(m.type.structDecl);
}

Value ShaderWriter::UseGlobal(const VarDecl& g, const SourceLocation& where) {
    const std::string name = GlslIdentifier(g.name);
    auto remember = [&](std::vector<const VarDecl*>& list) {
        for (const VarDecl* d : list)
            if (d == &g) return false;
        list.push_back(&g);
        return true;
    };
    if (g.type.IsSampler()) {
        // A sampler array names no GLSL variable: WriteIndex picks the element.
        const bool known = std::any_of(samplers_.begin(), samplers_.end(),
                                       [&](const UsedSampler& s) { return s.decl == &g; });
        if (g.type.arraySize == 0 && !known) samplers_.push_back(UsedSampler{&g, -1, name});
        return Value{name, g.type, false, &g};
    }
    if (g.type.base == BaseType::Texture || g.type.base == BaseType::String)
        Fail(where, "'" + g.name + "' cannot be used in shader code");
    if (g.isStatic) {
        TypeName(g.type.Innermost(), where);
        if (remember(statics_)) {
            // Initialised in main(): GLSL global initialisers must be constant.
            std::string init =
                g.init ? WriteInitializer(*g.init, g.type) : FillValue(g.type, "0", where);
            staticInit_[&g] = "    " + name + " = " + init + ";\n";
        }
        return Value{name, g.type, true};
    }
    if (g.type.base == BaseType::Struct)
        Fail(where, "struct-typed effect parameters are not supported");
    TypeName(g.type, where);
    remember(uniforms_);
    return Value{name, g.type, false};
}

std::string ShaderWriter::RequireFunction(const Function& fn) {
    auto known = functionNames_.find(&fn);
    if (known != functionNames_.end()) return known->second;
    if (inProgress_.count(&fn)) Fail(fn.where, "recursive call of '" + fn.name + "'");
    inProgress_.insert(&fn);
    const std::string name = GlslIdentifier(fn.name);
    std::string code = WriteFunctionBody(fn);
    inProgress_.erase(&fn);
    functionNames_[&fn] = name;
    functionCode_.push_back(std::move(code));
    return name;
}

std::string ShaderWriter::WriteFunctionBody(const Function& fn) {
    // Function bodies see only their parameters and the globals.
    std::vector<std::map<std::string, Symbol>> savedScopes;
    savedScopes.swap(scopes_);
    const Function* savedFunction = currentFunction_;
    const int savedLoops = loopDepth_;
    currentFunction_ = &fn;
    loopDepth_ = 0;
    PushScope();
    std::string header = TypeName(fn.returnType, fn.where) + " " + GlslIdentifier(fn.name) + "(";
    for (size_t i = 0; i < fn.params.size(); ++i) {
        const Param& p = fn.params[i];
        const char* qualifier = p.qualifier == ParamQualifier::Out     ? "out "
                                : p.qualifier == ParamQualifier::InOut ? "inout "
                                                                       : "";
        const std::string glslName = AddLocal(p.name, p.type, p.where);
        header +=
            (i ? ", " : "") + std::string(qualifier) + DeclareVariable(p.type, glslName, p.where);
    }
    header += ")\n";
    // The body's outer block shares the parameters' scope, as in C.
    std::string body = "{\n";
    for (const auto& statement : fn.body->body) WriteStatement(*statement, body, 1);
    body += "}\n";
    PopScope();
    scopes_.swap(savedScopes);
    currentFunction_ = savedFunction;
    loopDepth_ = savedLoops;
    return header + body;
}

void ShaderWriter::WriteDeclaration(const VarDecl& d, std::string& out, const std::string& pad) {
    if (d.type.base == BaseType::Texture || d.type.base == BaseType::String || d.type.IsSampler())
        Fail(d.where, "local variables of type " + HlslTypeName(d.type) + " are not supported");
    // The initialiser is written before the name is declared: `float x = x;`
    // in HLSL reads the outer x.
    std::string init = d.init ? WriteInitializer(*d.init, d.type) : FillValue(d.type, "0", d.where);
    const std::string name = AddLocal(d.name, d.type, d.where);
    out += pad + DeclareVariable(d.type, name, d.where) + " = " + init + ";\n";
}

void ShaderWriter::WriteForInit(const Stmt& init, std::string& out, const std::string& pad) {
    if (init.kind == StmtKind::Expr) out += pad + WriteExpr(*init.expr).code + ";\n";
    if (init.kind != StmtKind::Decl) return;
    for (const auto& d : init.decls) {
        auto known = scopes_.back().find(d->name);
        if (known == scopes_.back().end() || !SameType(known->second.type, d->type)) {
            WriteDeclaration(*d, out, pad);
            continue;
        }
        // A counter declared again by a later loop: reuse the variable.
        const std::string value =
            d->init ? WriteInitializer(*d->init, d->type) : FillValue(d->type, "0", d->where);
        out += pad + known->second.glslName + " = " + value + ";\n";
    }
}

// The body of an if or a loop, in its own scope. A body that is not a block
// gets braces: one HLSL statement may become several GLSL ones (a nested
// for writes its counter's declaration before the loop).
void ShaderWriter::WriteBody(const Stmt& body, std::string& out, int indent) {
    PushScope();
    if (body.kind == StmtKind::Block) {
        WriteStatement(body, out, indent + 1);
    } else {
        const std::string pad(static_cast<size_t>(indent + 1) * 4, ' ');
        out += pad + "{\n";
        WriteStatement(body, out, indent + 2);
        out += pad + "}\n";
    }
    PopScope();
}

void ShaderWriter::WriteStatement(const Stmt& s, std::string& out, int indent) {
    const std::string pad(static_cast<size_t>(indent) * 4, ' ');
    switch (s.kind) {
        case StmtKind::Block:
            out += pad + "{\n";
            PushScope();
            for (const auto& inner : s.body) WriteStatement(*inner, out, indent + 1);
            PopScope();
            out += pad + "}\n";
            return;
        case StmtKind::Empty:
            return;
        case StmtKind::Expr:
            out += pad + WriteExpr(*s.expr).code + ";\n";
            return;
        case StmtKind::Decl:
            for (const auto& d : s.decls) WriteDeclaration(*d, out, pad);
            return;
        case StmtKind::If: {
            out += pad + "if (" + ToBool(WriteExpr(*s.expr), s.expr->where) + ")\n";
            WriteBody(*s.then, out, indent);
            if (s.otherwise) {
                out += pad + "else\n";
                WriteBody(*s.otherwise, out, indent);
            }
            return;
        }
        case StmtKind::For: {
            // Shader model 2 and 3 HLSL puts the loop's declarations in the
            // enclosing scope: they stay visible after the loop, and a later
            // loop may declare the same counter again.
            CheckLoopIterations(s);
            if (s.init) WriteForInit(*s.init, out, pad);
            const std::string cond = s.expr ? ToBool(WriteExpr(*s.expr), s.expr->where) : "true";
            const std::string step = s.step ? WriteExpr(*s.step).code : "";
            out += pad + "for (; " + cond + "; " + step + ")\n";
            ++loopDepth_;
            WriteBody(*s.then, out, indent);
            --loopDepth_;
            return;
        }
        case StmtKind::While:
            out += pad + "while (" + ToBool(WriteExpr(*s.expr), s.expr->where) + ")\n";
            ++loopDepth_;
            WriteBody(*s.then, out, indent);
            --loopDepth_;
            return;
        case StmtKind::DoWhile:
            out += pad + "do\n";
            ++loopDepth_;
            WriteBody(*s.then, out, indent);
            --loopDepth_;
            out += pad + "while (" + ToBool(WriteExpr(*s.expr), s.expr->where) + ");\n";
            return;
        case StmtKind::Return: {
            if (!currentFunction_) Fail(s.where, "return outside a function");
            const Type& rt = currentFunction_->returnType;
            if (!s.expr) {
                if (rt.base != BaseType::Void) Fail(s.where, "return needs a value");
                out += pad + "return;\n";
                return;
            }
            if (rt.base == BaseType::Void) Fail(s.where, "void function returns a value");
            out += pad + "return " + WriteInitializer(*s.expr, rt) + ";\n";
            return;
        }
        case StmtKind::Discard:
            if (stage_ != Stage::Fragment)
                Fail(s.where, "discard is only allowed in pixel shaders");
            out += pad + "discard;\n";
            return;
        case StmtKind::Break:
        case StmtKind::Continue:
            if (loopDepth_ == 0)
                Fail(s.where, std::string(s.kind == StmtKind::Break ? "break" : "continue") +
                                  " outside a loop");
            out += pad + (s.kind == StmtKind::Break ? "break;\n" : "continue;\n");
            return;
    }
}

std::string ShaderWriter::Declarations() {
    std::string out;
    // Structs in declaration order: members can only name earlier structs.
    for (const auto& s : module_.structs) {
        if (!structs_.count(s.get())) continue;
        out += "struct " + GlslIdentifier(s->name) + "\n{\n";
        for (const auto& m : s->members) {
            out += "    " + DeclareVariable(m.type, GlslIdentifier(m.name), m.where) + ";\n";
        }
        out += "};\n";
    }
    for (const VarDecl* u : uniforms_)
        out += "uniform " + DeclareVariable(u->type, GlslIdentifier(u->name), u->where) + ";\n";
    for (const UsedSampler& s : samplers_) {
        Type t = s.decl->type.Element();
        auto kind = samplerKinds_.find(s.decl);
        if (t.base == BaseType::Sampler)
            t.base = kind != samplerKinds_.end() ? kind->second : BaseType::Sampler2D;
        out += "uniform " + DeclareVariable(t, s.glslName, s.decl->where) + ";\n";
    }
    for (const VarDecl* s : statics_)
        out += DeclareVariable(s->type, GlslIdentifier(s->name), s->where) + ";\n";
    for (const auto& [key, code] : helpers_) out += code;
    for (const std::string& fn : functionCode_) out += fn;
    return out;
}

}  // namespace kl::d3dx9::hlsl

namespace kl::d3dx9::hlsl {

std::string ShaderWriter::StaticInitialisation() const {
    // Declaration order: an initialiser can only read statics declared before.
    std::string out;
    for (const auto& g : module_.globals) {
        auto it = staticInit_.find(g.get());
        if (it != staticInit_.end()) out += it->second;
    }
    return out;
}

}  // namespace kl::d3dx9::hlsl
