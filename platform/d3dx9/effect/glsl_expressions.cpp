// Typing and GLSL spelling of HLSL expressions.
#include "d3dx9/effect/glsl_names.h"
#include "d3dx9/effect/glsl_shader_writer.h"
#include "d3dx9/effect/hlsl_constants.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kl::d3dx9::hlsl {
namespace {

bool IsArithmetic(const std::string& op) {
    return op == "+" || op == "-" || op == "*" || op == "/" || op == "%";
}
bool IsComparison(const std::string& op) {
    return op == "<" || op == ">" || op == "<=" || op == ">=" || op == "==" || op == "!=";
}
bool IsBitwise(const std::string& op) {
    return op == "&" || op == "|" || op == "^" || op == "<<" || op == ">>";
}

const char* VectorComparison(const std::string& op) {
    if (op == "<") return "lessThan";
    if (op == ">") return "greaterThan";
    if (op == "<=") return "lessThanEqual";
    if (op == ">=") return "greaterThanEqual";
    if (op == "==") return "equal";
    return "notEqual";
}

bool IsLiteralZero(const Expr& e) {
    return (e.kind == ExprKind::IntLiteral || e.kind == ExprKind::FloatLiteral) &&
           std::strtod(e.text.c_str(), nullptr) == 0.0;
}

}  // namespace

Value ShaderWriter::WriteExpr(const Expr& e) {
    switch (e.kind) {
        case ExprKind::IntLiteral:
        case ExprKind::FloatLiteral:
        case ExprKind::BoolLiteral:
            return WriteLiteral(e);
        case ExprKind::Name:
            return WriteName(e);
        case ExprKind::Unary:
            return WriteUnary(e);
        case ExprKind::Postfix:
            return WritePostfix(e);
        case ExprKind::Binary:
            return WriteBinary(e);
        case ExprKind::Assign:
            return WriteAssign(e);
        case ExprKind::Ternary:
            return WriteTernary(e);
        case ExprKind::Call:
            return WriteCall(e);
        case ExprKind::Constructor:
            return WriteConstructor(e);
        case ExprKind::Cast:
            return WriteCast(e);
        case ExprKind::Member:
            return WriteMember(e);
        case ExprKind::Index:
            return WriteIndex(e);
        case ExprKind::InitList:
            Fail(e.where, "initializer list outside a declaration");
    }
    Fail(e.where, "unsupported expression");
}

Value ShaderWriter::WriteLiteral(const Expr& e) {
    Value v;
    if (e.kind == ExprKind::BoolLiteral) {
        v.code = e.text;
        v.type = Type::Scalar(BaseType::Bool);
    } else if (e.kind == ExprKind::FloatLiteral) {
        v.code = e.text;
        if (v.code.find_first_of(".eE") == std::string::npos) v.code += ".0";
        v.type = Type::Scalar(BaseType::Float);
    } else {
        const unsigned long long n = std::strtoull(e.text.c_str(), nullptr, 0);
        if (n > 0xffffffffull) Fail(e.where, "integer literal too large");
        if (n > 0x7fffffffull) {
            v.code = std::to_string(n) + "u";
            v.type = Type::Scalar(BaseType::Uint);
        } else {
            v.code = std::to_string(n);
            v.type = Type::Scalar(BaseType::Int);
        }
    }
    return v;
}

Value ShaderWriter::WriteName(const Expr& e) {
    if (const Symbol* s = FindLocal(e.text)) return Value{s->glslName, s->type, s->assignable};
    for (const auto& g : module_.globals)
        if (g->name == e.text) return UseGlobal(*g, e.where);
    Fail(e.where, "undeclared identifier '" + e.text + "'");
}

Value ShaderWriter::WriteUnary(const Expr& e) {
    Value v = WriteExpr(*e.kids[0]);
    const std::string& op = e.text;
    if (op == "++" || op == "--") {
        if (!v.assignable || !v.type.IsNumeric())
            Fail(e.where, "'" + op + "' needs a numeric variable");
        return Value{"(" + op + v.code + ")", v.type, false};
    }
    if (!v.type.IsNumeric())
        Fail(e.where, "'" + op + "' cannot be applied to " + HlslTypeName(v.type));
    if (op == "!") {
        if (v.type.IsScalar())
            return Value{"(!" + ToBool(v, e.where) + ")", Type::Scalar(BaseType::Bool)};
        if (v.type.IsVector()) {
            const Type b = v.type.WithBase(BaseType::Bool);
            return Value{"not(" + Convert(v, b, true, e.where) + ")", b};
        }
        Fail(e.where, "'!' cannot be applied to a matrix");
    }
    if (op == "~") {
        if (v.type.base != BaseType::Int && v.type.base != BaseType::Uint)
            Fail(e.where, "'~' needs an integer operand");
        return Value{"(~" + v.code + ")", v.type};
    }
    if (v.type.base == BaseType::Bool) {
        const Type i = v.type.WithBase(BaseType::Int);
        v = Value{Convert(v, i, true, e.where), i};
    }
    return Value{"(" + op + v.code + ")", v.type};
}

Value ShaderWriter::WritePostfix(const Expr& e) {
    Value v = WriteExpr(*e.kids[0]);
    if (!v.assignable || !v.type.IsNumeric())
        Fail(e.where, "'" + e.text + "' needs a numeric variable");
    return Value{"(" + v.code + e.text + ")", v.type};
}

Value ShaderWriter::WriteBinary(const Expr& e) {
    const std::string& op = e.text;
    Value a = WriteExpr(*e.kids[0]);
    Value b = WriteExpr(*e.kids[1]);
    if (op == ",") return Value{"(" + a.code + ", " + b.code + ")", b.type};
    if (op == "&&" || op == "||") {
        if (!a.type.IsScalar() || !b.type.IsScalar())
            Fail(e.where, "'" + op + "' on vectors is not supported");
        return Value{"(" + ToBool(a, e.where) + " " + op + " " + ToBool(b, e.where) + ")",
                     Type::Scalar(BaseType::Bool)};
    }
    if (IsComparison(op)) return WriteComparison(op, a, b, e.where);
    if (IsArithmetic(op) || IsBitwise(op)) return WriteArithmetic(op, a, b, e.where);
    Fail(e.where, "unsupported operator '" + op + "'");
}

Value ShaderWriter::WriteArithmetic(const std::string& op, const Value& a, const Value& b,
                                    const SourceLocation& where) {
    Type t = CommonType(a.type, b.type, where);
    if (t.base == BaseType::Bool) t.base = BaseType::Int;  // arithmetic on bools is on ints
    if (IsBitwise(op) && t.base != BaseType::Int && t.base != BaseType::Uint)
        Fail(where, "'" + op + "' needs integer operands");
    // Scalars stay scalars: GLSL mixes scalars with vectors and matrices itself.
    auto operand = [&](const Value& v) {
        const Type target = v.type.IsScalar() ? Type::Scalar(t.base) : t;
        return Convert(v, target, false, where);
    };
    const std::string x = operand(a);
    const std::string y = operand(b);
    if (op == "%" && t.base == BaseType::Float) {
        const std::string fx = a.type.IsScalar() && !t.IsScalar() ? Convert(a, t, false, where) : x;
        const std::string fy = b.type.IsScalar() && !t.IsScalar() ? Convert(b, t, false, where) : y;
        return Value{RequireHelper("fmod", t, where) + "(" + fx + ", " + fy + ")", t};
    }
    if (op == "*" && a.type.IsMatrix() && b.type.IsMatrix())
        return Value{"matrixCompMult(" + x + ", " + y + ")", t};
    return Value{"(" + x + " " + op + " " + y + ")", t};
}

Value ShaderWriter::WriteComparison(const std::string& op, const Value& a, const Value& b,
                                    const SourceLocation& where) {
    const Type t = CommonType(a.type, b.type, where);
    if (t.IsMatrix()) Fail(where, "comparison of matrices is not supported");
    const std::string x = Convert(a, t, false, where);
    const std::string y = Convert(b, t, false, where);
    if (t.IsScalar())
        return Value{"(" + x + " " + op + " " + y + ")", Type::Scalar(BaseType::Bool)};
    return Value{std::string(VectorComparison(op)) + "(" + x + ", " + y + ")",
                 t.WithBase(BaseType::Bool)};
}

Value ShaderWriter::WriteAssign(const Expr& e) {
    Value lhs = WriteExpr(*e.kids[0]);
    Value rhs = WriteExpr(*e.kids[1]);
    if (!lhs.assignable) Fail(e.where, "left side of '" + e.text + "' cannot be assigned");
    if (e.text == "=") {
        return Value{"(" + lhs.code + " = " + Convert(rhs, lhs.type, false, e.where) + ")",
                     lhs.type};
    }
    const std::string op = e.text.substr(0, e.text.size() - 1);
    // x op= y is x = x op y, with the result converted back as HLSL does.
    Value combined = IsComparison(op) ? Value{} : WriteArithmetic(op, lhs, rhs, e.where);
    return Value{"(" + lhs.code + " = " + Convert(combined, lhs.type, false, e.where) + ")",
                 lhs.type};
}

Value ShaderWriter::WriteTernary(const Expr& e) {
    Value c = WriteExpr(*e.kids[0]);
    Value a = WriteExpr(*e.kids[1]);
    Value b = WriteExpr(*e.kids[2]);
    Type t = a.type;
    if (!SameType(a.type, b.type)) t = CommonType(a.type, b.type, e.where);
    const std::string x = Convert(a, t, false, e.where);
    const std::string y = Convert(b, t, false, e.where);
    if (c.type.IsVector()) {
        // Component-wise selection, as HLSL does for a vector condition.
        if (!t.IsVector() && !t.IsScalar()) Fail(e.where, "vector condition needs vector operands");
        Type vt = t.IsScalar() ? Type::Vector(t.base, c.type.cols) : t;
        if (vt.cols > c.type.cols) vt.cols = c.type.cols;
        const Type cb = Type::Vector(BaseType::Bool, vt.cols);
        return Value{"mix(" + Convert(Value{y, t}, vt, false, e.where) + ", " +
                         Convert(Value{x, t}, vt, false, e.where) + ", " +
                         Convert(c, cb, true, e.where) + ")",
                     vt};
    }
    return Value{"(" + ToBool(c, e.where) + " ? " + x + " : " + y + ")", t};
}

Value ShaderWriter::WriteConstructor(const Expr& e) {
    const Type& t = e.type;
    if (!t.IsNumeric()) Fail(e.where, "cannot construct " + HlslTypeName(t));
    int components = 0;
    std::string args;
    for (const auto& kid : e.kids) {
        Value v = WriteExpr(*kid);
        if (!v.type.IsNumeric()) Fail(kid->where, "constructor argument must be numeric");
        components += v.type.Components();
        const Type target = v.type.WithBase(t.base);
        args += (args.empty() ? "" : ", ") + Convert(v, target, true, kid->where);
    }
    if (e.kids.size() == 1 && components == 1) {
        return Value{
            t.IsMatrix() ? FillValue(t, args, e.where) : TypeName(t, e.where) + "(" + args + ")",
            t};
    }
    if (components != t.Components())
        Fail(e.where, HlslTypeName(t) + " needs " + std::to_string(t.Components()) +
                          " components, got " + std::to_string(components));
    return Value{TypeName(t, e.where) + "(" + args + ")", t};
}

Value ShaderWriter::WriteCast(const Expr& e) {
    const Expr& operand = *e.kids[0];
    if (e.type.base == BaseType::Struct && IsLiteralZero(operand))
        return Value{FillValue(e.type, "0", e.where), e.type};
    Value v = WriteExpr(operand);
    return Value{Convert(v, e.type, true, e.where), e.type};
}

Value ShaderWriter::WriteMember(const Expr& e) {
    Value base = WriteExpr(*e.kids[0]);
    if (base.type.base == BaseType::Struct && base.type.arraySize == 0) {
        for (const auto& m : base.type.structDecl->members)
            if (m.name == e.text)
                return Value{base.code + "." + GlslIdentifier(m.name), m.type, base.assignable};
        Fail(e.where, "'" + e.text + "' is not a member of " + base.type.structDecl->name);
    }
    if (base.type.IsMatrix()) return WriteMatrixElements(base, e.text, e.where);
    if (base.type.IsScalar() || base.type.IsVector()) return WriteSwizzle(base, e.text, e.where);
    Fail(e.where, "'." + e.text + "' on a value of type " + HlslTypeName(base.type));
}

Value ShaderWriter::WriteSwizzle(const Value& base, const std::string& swizzle,
                                 const SourceLocation& where) {
    static const std::string sets[] = {"xyzw", "rgba"};
    if (swizzle.empty() || swizzle.size() > 4) Fail(where, "invalid swizzle '" + swizzle + "'");
    std::string lanes;
    for (const std::string& set : sets) {
        lanes.clear();
        for (char c : swizzle) {
            const size_t i = set.find(c);
            if (i == std::string::npos) break;
            if (static_cast<int>(i) >= base.type.cols)
                Fail(where,
                     "swizzle '" + swizzle + "' out of range for " + HlslTypeName(base.type));
            lanes += "xyzw"[i];
        }
        if (lanes.size() == swizzle.size()) break;
    }
    if (lanes.size() != swizzle.size()) Fail(where, "invalid swizzle '" + swizzle + "'");
    const int n = static_cast<int>(lanes.size());
    const Type t = n == 1 ? Type::Scalar(base.type.base) : Type::Vector(base.type.base, n);
    if (base.type.IsScalar()) {
        // Scalars swizzle by repetition: f.xxx is float3(f, f, f).
        return Value{n == 1 ? base.code : TypeName(t, where) + "(" + base.code + ")", t, false};
    }
    bool repeats = false;
    for (size_t i = 0; i < lanes.size(); ++i)
        if (lanes.find(lanes[i]) != i) repeats = true;
    return Value{base.code + "." + lanes, t, base.assignable && !repeats};
}

// ._m01 (zero-based) and ._12 (one-based) element selections of a matrix.
Value ShaderWriter::WriteMatrixElements(const Value& base, const std::string& member,
                                        const SourceLocation& where) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < member.size()) {
        if (member[i] != '_') Fail(where, "invalid matrix member '" + member + "'");
        const bool zeroBased = i + 1 < member.size() && member[i + 1] == 'm';
        const size_t digits = i + (zeroBased ? 2 : 1);
        if (digits + 2 > member.size()) Fail(where, "invalid matrix member '" + member + "'");
        int r = member[digits] - '0';
        int c = member[digits + 1] - '0';
        if (!zeroBased) {
            --r;
            --c;
        }
        if (r < 0 || c < 0 || r >= base.type.rows || c >= base.type.cols)
            Fail(where, "matrix member '" + member + "' out of range");
        parts.push_back(base.code + "[" + std::to_string(r) + "][" + std::to_string(c) + "]");
        i = digits + 2;
    }
    if (parts.size() > 4) Fail(where, "too many matrix elements in '" + member + "'");
    if (parts.size() == 1) return Value{parts[0], Type::Scalar(base.type.base), base.assignable};
    const Type t = Type::Vector(base.type.base, static_cast<int>(parts.size()));
    std::string code = TypeName(t, where) + "(";
    for (size_t k = 0; k < parts.size(); ++k) code += (k ? ", " : "") + parts[k];
    return Value{code + ")", t, false};
}

Value ShaderWriter::WriteIndex(const Expr& e) {
    Value base = WriteExpr(*e.kids[0]);
    if (base.type.IsSampler() && base.type.arraySize > 0 && base.global)
        return WriteSamplerElement(base, e);
    Value index = WriteExpr(*e.kids[1]);
    if (!index.type.IsScalar()) Fail(e.kids[1]->where, "index must be a scalar");
    const std::string ix = Convert(index, Type::Scalar(BaseType::Int), true, e.where);
    Type t;
    if (base.type.arraySize > 0) {
        t = base.type.Element();
    } else if (base.type.IsMatrix()) {
        t = Type::Vector(base.type.base, base.type.cols);  // row i, GLSL column i
    } else if (base.type.IsVector()) {
        t = Type::Scalar(base.type.base);
    } else {
        Fail(e.where, "cannot index a value of type " + HlslTypeName(base.type));
    }
    return Value{base.code + "[" + ix + "]", t, base.assignable};
}

// Shader models 2 and 3 index sampler arrays only with constants; each
// element read is a sampler of its own, with its own stage.
Value ShaderWriter::WriteSamplerElement(const Value& array, const Expr& indexing) {
    const VarDecl& g = *array.global;
    const Expr& index = *indexing.kids[1];
    const std::string constantNeeded = "sampler array '" + g.name + "' needs a constant index";
    Constant c;
    try {
        c = FoldConstant(index, [this](const std::string& name) -> const VarDecl* {
            if (FindLocal(name)) return nullptr;
            for (const auto& d : module_.globals)
                if (d->name == name) return d.get();
            return nullptr;
        });
    } catch (const CompileError&) {
        Fail(indexing.where, constantNeeded);
    }
    if (c.values.size() != 1) Fail(indexing.where, constantNeeded);
    const double i = std::trunc(c.values[0]);
    if (i < 0 || i >= g.type.arraySize)
        Fail(indexing.where, "index " + std::to_string(static_cast<long long>(i)) +
                                 " is out of range for sampler array '" + g.name + "'");
    const int element = static_cast<int>(i);
    // kl_ names are the translator's own: effect names never start with it.
    const std::string name = "kl_s" + std::to_string(element) + "x" + GlslIdentifier(g.name);
    const bool known = std::any_of(samplers_.begin(), samplers_.end(), [&](const UsedSampler& s) {
        return s.decl == &g && s.element == element;
    });
    if (!known) samplers_.push_back(UsedSampler{&g, element, name});
    return Value{name, g.type.Element(), false, &g};
}

Value ShaderWriter::WriteCall(const Expr& e) {
    std::vector<Value> args;
    for (const auto& kid : e.kids) args.push_back(WriteExpr(*kid));
    for (const auto& fn : module_.functions)
        if (fn->name == e.text) return WriteUserCall(e, args);
    Value result;
    if (WriteIntrinsic(e, args, result)) return result;
    Fail(e.where, "unknown function '" + e.text + "'");
}

namespace {

// Cost of passing `from` where `to` is expected; -1 if impossible.
int ConversionCost(const Type& from, const Type& to) {
    if (SameType(from, to)) return 0;
    // A plain `sampler` may stand for any typed one.
    if (from.arraySize == 0 && to.arraySize == 0 && from.base == BaseType::Sampler &&
        to.IsSampler())
        return 1;
    if (from.arraySize || to.arraySize || !from.IsNumeric() || !to.IsNumeric()) return -1;
    const int baseCost = from.base == to.base ? 0 : 1;
    if (from.IsScalar()) return to.IsScalar() ? baseCost : 2 + baseCost;
    if (from.IsVector() && to.IsVector() && to.cols <= from.cols)
        return (to.cols == from.cols ? 0 : 4) + baseCost;
    if (from.IsVector() && to.IsScalar()) return 6 + baseCost;
    if (from.IsMatrix() && to.IsMatrix() && to.rows <= from.rows && to.cols <= from.cols)
        return 4 + baseCost;
    return -1;
}

}  // namespace

Value ShaderWriter::WriteUserCall(const Expr& e, std::vector<Value>& args) {
    const Function* best = nullptr;
    int bestCost = 0;
    for (const auto& fn : module_.functions) {
        if (fn->name != e.text || fn->params.size() != args.size()) continue;
        int cost = 0;
        for (size_t i = 0; i < args.size() && cost >= 0; ++i) {
            const int c = ConversionCost(args[i].type, fn->params[i].type);
            cost = c < 0 ? -1 : cost + c;
        }
        if (cost < 0) continue;
        // Prefer the definition over an identical prototype.
        if (!best || cost < bestCost || (cost == bestCost && !best->body && fn->body)) {
            best = fn.get();
            bestCost = cost;
        }
    }
    if (!best) Fail(e.where, "no overload of '" + e.text + "' takes these arguments");
    if (!best->body) {
        // A prototype: find the definition with the same parameter types.
        for (const auto& fn : module_.functions) {
            if (fn->name != best->name || !fn->body || fn->params.size() != best->params.size())
                continue;
            bool same = true;
            for (size_t i = 0; i < fn->params.size(); ++i)
                same = same && SameType(fn->params[i].type, best->params[i].type);
            if (same) best = fn.get();
        }
        if (!best->body) Fail(e.where, "function '" + e.text + "' is declared but never defined");
    }
    std::string code = RequireFunction(*best) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        const Param& p = best->params[i];
        std::string arg;
        if (p.qualifier == ParamQualifier::Out || p.qualifier == ParamQualifier::InOut) {
            if (!args[i].assignable) Fail(e.kids[i]->where, "out argument must be a variable");
            if (!SameType(args[i].type, p.type))
                Fail(e.kids[i]->where, "out argument must have type " + HlslTypeName(p.type));
            arg = args[i].code;
        } else if (args[i].type.IsSampler() && p.type.IsSampler()) {
            SettleSamplerKind(args[i], p.type.base, e.kids[i]->where);
            arg = Convert(args[i], p.type, false, e.kids[i]->where);
        } else {
            arg = Convert(args[i], p.type, false, e.kids[i]->where);
        }
        code += (i ? ", " : "") + arg;
    }
    return Value{code + ")", best->returnType};
}

std::string ShaderWriter::WriteInitializer(const Expr& init, const Type& target) {
    if (init.kind != ExprKind::InitList) return Convert(WriteExpr(init), target, false, init.where);
    if (target.arraySize > 0) {
        std::vector<const Expr*> items;
        for (const auto& kid : init.kids) items.push_back(kid.get());
        return WriteArrayInitializer(items, target, init.where);
    }
    if (target.base == BaseType::Struct) {
        const auto& members = target.structDecl->members;
        if (init.kids.size() != members.size())
            Fail(init.where,
                 "initializer needs one value per member of " + target.structDecl->name);
        std::string code = TypeName(target, init.where) + "(";
        for (size_t i = 0; i < members.size(); ++i)
            code += (i ? ", " : "") + WriteInitializer(*init.kids[i], members[i].type);
        return code + ")";
    }
    if (!target.IsNumeric())
        Fail(init.where, "cannot initialize " + HlslTypeName(target) + " with a list");
    int components = 0;
    std::string args;
    for (const auto& kid : init.kids) {
        if (kid->kind == ExprKind::InitList) Fail(kid->where, "nested list for a numeric value");
        Value v = WriteExpr(*kid);
        if (!v.type.IsNumeric()) Fail(kid->where, "initializer value must be numeric");
        components += v.type.Components();
        args +=
            (args.empty() ? "" : ", ") + Convert(v, v.type.WithBase(target.base), true, kid->where);
    }
    if (components != target.Components())
        Fail(init.where, HlslTypeName(target) + " needs " + std::to_string(target.Components()) +
                             " values, got " + std::to_string(components));
    return TypeName(target, init.where) + "(" + args + ")";
}

// An array's elements given one by one, or as one flat run of values that
// fills the elements in order: {1, 2, 3, 4} for a float2[2], {1, 2, 3, 4, 5, 6}
// or {{1, 2, 3}, {4, 5, 6}} for a float[2][3].
std::string ShaderWriter::WriteArrayInitializer(const std::vector<const Expr*>& items,
                                                const Type& target, const SourceLocation& where) {
    const Type element = target.Element();
    const size_t count = static_cast<size_t>(target.arraySize);
    std::string code = ArrayTypeName(target, where) + "(";
    if (items.size() == count) {
        for (size_t i = 0; i < count; ++i)
            code += (i ? ", " : "") + WriteInitializer(*items[i], element);
        return code + ")";
    }
    const size_t per = items.size() / count;
    const int n = static_cast<int>(per);
    const bool runs = element.arraySize > 0
                          ? n == element.arraySize || n == element.Count() * element.Components()
                          : element.IsNumeric() && n == element.Components();
    if (items.size() % count != 0 || per < 2 || !runs)
        Fail(where, "initializer has the wrong number of elements for " + HlslTypeName(target));
    for (size_t i = 0; i < count; ++i) {
        const std::vector<const Expr*> run(items.begin() + static_cast<long>(i * per),
                                           items.begin() + static_cast<long>((i + 1) * per));
        std::string part;
        if (element.arraySize > 0) {
            part = WriteArrayInitializer(run, element, where);
        } else {
            part = TypeName(element, where) + "(";
            for (size_t k = 0; k < per; ++k) {
                if (run[k]->kind == ExprKind::InitList)
                    Fail(run[k]->where, "nested list for a numeric value");
                part += (k ? ", " : "") +
                        Convert(WriteExpr(*run[k]), Type::Scalar(element.base), false, where);
            }
            part += ")";
        }
        code += (i ? ", " : "") + part;
    }
    return code + ")";
}

}  // namespace kl::d3dx9::hlsl
