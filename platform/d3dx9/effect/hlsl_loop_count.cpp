#include "d3dx9/effect/hlsl_loop_count.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace kl::d3dx9::hlsl {
namespace {

std::optional<double> Constant(const Expr& e) {
    if (e.kind == ExprKind::IntLiteral)
        return static_cast<double>(std::strtoull(e.text.c_str(), nullptr, 0));
    if (e.kind == ExprKind::FloatLiteral) return std::strtod(e.text.c_str(), nullptr);
    if (e.kind == ExprKind::Unary && (e.text == "-" || e.text == "+")) {
        const std::optional<double> v = Constant(*e.kids[0]);
        if (v && e.text == "-") return -*v;
        return v;
    }
    return std::nullopt;
}

bool IsName(const Expr& e, const std::string& name) {
    return e.kind == ExprKind::Name && e.text == name;
}

// The counter and its first value: `int i = 0` or `i = 0`.
bool ReadStart(const Stmt& init, std::string& counter, double& start) {
    std::optional<double> value;
    if (init.kind == StmtKind::Decl && init.decls.size() == 1 && init.decls[0]->init) {
        counter = init.decls[0]->name;
        value = Constant(*init.decls[0]->init);
    } else if (init.kind == StmtKind::Expr && init.expr && init.expr->kind == ExprKind::Assign &&
               init.expr->text == "=" && init.expr->kids[0]->kind == ExprKind::Name) {
        counter = init.expr->kids[0]->text;
        value = Constant(*init.expr->kids[1]);
    }
    if (!value) return false;
    start = *value;
    return true;
}

// `i++`, `++i`, `i--`, `--i`, `i += c`, `i -= c`, `i = i + c`, `i = i - c`.
std::optional<double> ReadStep(const Expr& e, const std::string& counter) {
    if ((e.kind == ExprKind::Postfix || e.kind == ExprKind::Unary) &&
        (e.text == "++" || e.text == "--") && IsName(*e.kids[0], counter))
        return e.text == "++" ? 1.0 : -1.0;
    if (e.kind != ExprKind::Assign || !IsName(*e.kids[0], counter)) return std::nullopt;
    const Expr& rhs = *e.kids[1];
    std::optional<double> amount;
    std::string op = e.text;
    if (op == "=" && rhs.kind == ExprKind::Binary && IsName(*rhs.kids[0], counter)) {
        op = rhs.text + "=";
        amount = Constant(*rhs.kids[1]);
    } else {
        amount = Constant(rhs);
    }
    if (!amount) return std::nullopt;
    if (op == "+=") return *amount;
    if (op == "-=") return -*amount;
    return std::nullopt;
}

bool WritesCounter(const Expr& e, const std::string& counter) {
    const bool writes = (e.kind == ExprKind::Assign || e.kind == ExprKind::Postfix ||
                         (e.kind == ExprKind::Unary && (e.text == "++" || e.text == "--"))) &&
                        IsName(*e.kids[0], counter);
    if (writes) return true;
    for (const auto& kid : e.kids)
        if (WritesCounter(*kid, counter)) return true;
    return false;
}

// Conservative: any write to the counter, or a declaration that hides it,
// leaves the count open.
bool WritesCounter(const Stmt& s, const std::string& counter) {
    for (const auto& d : s.decls)
        if (d->name == counter || (d->init && WritesCounter(*d->init, counter))) return true;
    for (const Expr* e : {s.expr.get(), s.step.get()})
        if (e && WritesCounter(*e, counter)) return true;
    for (const Stmt* child : {s.init.get(), s.then.get(), s.otherwise.get()})
        if (child && WritesCounter(*child, counter)) return true;
    for (const auto& child : s.body)
        if (WritesCounter(*child, counter)) return true;
    return false;
}

constexpr double kEndless = std::numeric_limits<double>::infinity();

// How often `counter op limit` holds for start, start + step, ...
std::optional<double> CountWhile(double start, double step, std::string op, double limit) {
    if (op == ">" || op == ">=") {  // mirror to the rising case
        op = op == ">" ? "<" : "<=";
        start = -start;
        step = -step;
        limit = -limit;
    }
    if (op == "<" || op == "<=") {
        const bool holds = op == "<" ? start < limit : start <= limit;
        if (!holds) return 0.0;
        if (step <= 0) return kEndless;
        const double span = (limit - start) / step;
        if (op == "<") return std::ceil(span);
        return std::floor(span) + 1;
    }
    if (op == "!=") {
        if (start == limit) return 0.0;
        const double span = (limit - start) / step;
        return span > 0 && span == std::floor(span) ? span : kEndless;
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> FixedIterationCount(const Stmt& loop) {
    if (loop.kind != StmtKind::For || !loop.init || !loop.expr || !loop.step) return std::nullopt;
    std::string counter;
    double start = 0;
    if (!ReadStart(*loop.init, counter, start)) return std::nullopt;
    const std::optional<double> step = ReadStep(*loop.step, counter);
    if (!step || *step == 0) return std::nullopt;
    const Expr& cond = *loop.expr;
    if (cond.kind != ExprKind::Binary) return std::nullopt;
    std::optional<double> limit;
    std::string op = cond.text;
    if (IsName(*cond.kids[0], counter)) {
        limit = Constant(*cond.kids[1]);
    } else if (IsName(*cond.kids[1], counter)) {  // `10 > i` reads as `i < 10`
        limit = Constant(*cond.kids[0]);
        if (op == "<")
            op = ">";
        else if (op == ">")
            op = "<";
        else if (op == "<=")
            op = ">=";
        else if (op == ">=")
            op = "<=";
    }
    if (!limit || (loop.then && WritesCounter(*loop.then, counter))) return std::nullopt;
    return CountWhile(start, *step, op, *limit);
}

void CheckLoopIterations(const Stmt& loop) {
    const std::optional<double> count = FixedIterationCount(loop);
    if (!count || *count <= kMaxLoopIterations) return;
    char times[64] = "without end";
    if (!std::isinf(*count)) std::snprintf(times, sizeof times, "%.0f times", *count);
    Fail(loop.where, std::string("loop runs ") + times + "; at most 255 iterations are allowed");
}

}  // namespace kl::d3dx9::hlsl
