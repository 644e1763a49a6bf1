#include "d3dx9/effect/hlsl_constants.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

namespace kl::d3dx9::hlsl {
namespace {

constexpr int kMaxDepth = 64;

double Single(double v) {
    return static_cast<double>(static_cast<float>(v));
}

class Folder {
public:
    explicit Folder(const ConstantLookup& lookup) : lookup_(lookup) {}

    Constant Fold(const Expr& e, int depth) {
        if (depth > kMaxDepth) Fail(e.where, "constant expression nested too deeply");
        switch (e.kind) {
            case ExprKind::IntLiteral:
                return Constant{{static_cast<double>(std::strtoull(e.text.c_str(), nullptr, 0))},
                                true};
            case ExprKind::FloatLiteral:
                return Constant{{Single(std::strtod(e.text.c_str(), nullptr))}, false};
            case ExprKind::BoolLiteral:
                return Constant{{e.text == "true" ? 1.0 : 0.0}, true};
            case ExprKind::Name:
                return FoldName(e, depth);
            case ExprKind::Unary:
                return FoldUnary(e, depth);
            case ExprKind::Binary:
                return FoldBinary(e, depth);
            case ExprKind::Constructor:
            case ExprKind::InitList:
            case ExprKind::Cast:
                return FoldList(e, depth);
            case ExprKind::Call:
                return FoldCall(e, depth);
            case ExprKind::Member:
                return FoldSwizzle(e, depth);
            default:
                break;
        }
        Fail(e.where, "expression is not a constant");
    }

private:
    Constant FoldName(const Expr& e, int depth) {
        const VarDecl* d = lookup_ ? lookup_(e.text) : nullptr;
        if (!d || !d->init || !(d->isConst || d->isStatic))
            Fail(e.where, "'" + e.text + "' is not a constant");
        Constant c = Fold(*d->init, depth + 1);
        return Typed(c, d->type);
    }

    // Values converted to the declared or constructed type's base.
    static Constant Typed(Constant c, const Type& t) {
        const bool integer =
            t.base == BaseType::Int || t.base == BaseType::Uint || t.base == BaseType::Bool;
        if (integer)
            for (double& v : c.values) v = t.base == BaseType::Bool ? (v != 0) : std::trunc(v);
        if (t.Innermost().IsNumeric()) c.integer = integer;
        return c;
    }

    Constant FoldUnary(const Expr& e, int depth) {
        Constant c = Fold(*e.kids[0], depth + 1);
        if (e.text == "+") return c;
        if (e.text == "-") {
            for (double& v : c.values) v = -v;
            return c;
        }
        if (e.text == "!") {
            for (double& v : c.values) v = v == 0 ? 1 : 0;
            c.integer = true;
            return c;
        }
        Fail(e.where, "operator '" + e.text + "' is not constant");
    }

    Constant FoldBinary(const Expr& e, int depth) {
        const Constant a = Fold(*e.kids[0], depth + 1);
        const Constant b = Fold(*e.kids[1], depth + 1);
        Constant out;
        out.integer = a.integer && b.integer;
        const size_t n = a.values.size() == 1   ? b.values.size()
                         : b.values.size() == 1 ? a.values.size()
                                                : std::min(a.values.size(), b.values.size());
        for (size_t i = 0; i < n; ++i) {
            const double x = a.values[a.values.size() == 1 ? 0 : i];
            const double y = b.values[b.values.size() == 1 ? 0 : i];
            out.values.push_back(Apply(e, x, y, out.integer));
        }
        return out;
    }

    static double Apply(const Expr& e, double x, double y, bool integer) {
        const std::string& op = e.text;
        if (op == "+") return integer ? x + y : Single(x + y);
        if (op == "-") return integer ? x - y : Single(x - y);
        if (op == "*") return integer ? x * y : Single(x * y);
        if (op == "/" || op == "%") {
            if (integer && y == 0) Fail(e.where, "division by zero in a constant");
            if (op == "/") return integer ? std::trunc(x / y) : Single(x / y);
            return integer ? std::fmod(x, y) : Single(std::fmod(x, y));
        }
        Fail(e.where, "operator '" + op + "' is not constant");
    }

    Constant FoldList(const Expr& e, int depth) {
        Constant out;
        out.integer = true;
        for (const auto& kid : e.kids) {
            const Constant c = Fold(*kid, depth + 1);
            out.values.insert(out.values.end(), c.values.begin(), c.values.end());
            out.integer = out.integer && c.integer;
        }
        if (e.kind == ExprKind::InitList) return out;
        // A cast or constructor: a scalar fills the type, and the values take
        // its base type.
        const int count = e.type.Components();
        if (e.kind == ExprKind::Cast && out.values.size() == 1 && count > 1)
            out.values.assign(static_cast<size_t>(count), out.values[0]);
        if (e.kind == ExprKind::Cast && out.values.size() > static_cast<size_t>(count))
            out.values.resize(static_cast<size_t>(count));
        return Typed(out, e.type);
    }

    Constant FoldSwizzle(const Expr& e, int depth) {
        const Constant c = Fold(*e.kids[0], depth + 1);
        Constant out;
        out.integer = c.integer;
        for (char letter : e.text) {
            static const std::string xyzw = "xyzw", rgba = "rgba";
            size_t lane = xyzw.find(letter);
            if (lane == std::string::npos) lane = rgba.find(letter);
            if (lane == std::string::npos || (c.values.size() > 1 && lane >= c.values.size()) ||
                e.text.size() > 4)
                Fail(e.where, "'." + e.text + "' is not a swizzle of this constant");
            out.values.push_back(c.values[c.values.size() == 1 ? 0 : lane]);
        }
        return out;
    }

    Constant FoldCall(const Expr& e, int depth) {
        std::vector<Constant> args;
        for (const auto& kid : e.kids) args.push_back(Fold(*kid, depth + 1));
        const std::string& f = e.text;
        auto need = [&](size_t n) {
            if (args.size() != n) Fail(e.where, f + " takes " + std::to_string(n) + " arguments");
        };
        static const std::map<std::string, double (*)(double)> unary = {
            {"sqrt", [](double x) { return std::sqrt(x); }},
            {"rsqrt", [](double x) { return 1.0 / std::sqrt(x); }},
            {"sin", [](double x) { return std::sin(x); }},
            {"cos", [](double x) { return std::cos(x); }},
            {"tan", [](double x) { return std::tan(x); }},
            {"asin", [](double x) { return std::asin(x); }},
            {"acos", [](double x) { return std::acos(x); }},
            {"atan", [](double x) { return std::atan(x); }},
            {"exp", [](double x) { return std::exp(x); }},
            {"exp2", [](double x) { return std::exp2(x); }},
            {"log", [](double x) { return std::log(x); }},
            {"log2", [](double x) { return std::log2(x); }},
            {"abs", [](double x) { return std::fabs(x); }},
            {"floor", [](double x) { return std::floor(x); }},
            {"ceil", [](double x) { return std::ceil(x); }},
            {"frac", [](double x) { return x - std::floor(x); }},
            {"saturate", [](double x) { return std::min(1.0, std::max(0.0, x)); }},
            {"radians", [](double x) { return x * 3.14159265358979323846 / 180.0; }},
            {"degrees", [](double x) { return x * 180.0 / 3.14159265358979323846; }}};
        auto u = unary.find(f);
        if (u != unary.end()) {
            need(1);
            Constant out{{}, false};
            for (double v : args[0].values) out.values.push_back(Single(u->second(v)));
            return out;
        }
        if (f == "dot" || f == "length" || f == "normalize") {
            need(f == "dot" ? 2 : 1);
            const Constant& a = args[0];
            const Constant& b = args[f == "dot" ? 1 : 0];
            double sum = 0;
            for (size_t i = 0; i < std::min(a.values.size(), b.values.size()); ++i)
                sum += a.values[i] * b.values[i];
            if (f == "dot") return Constant{{Single(sum)}, a.integer && b.integer};
            if (f == "length") return Constant{{Single(std::sqrt(sum))}, false};
            if (sum == 0) Fail(e.where, "normalize of a zero vector");
            Constant out{{}, false};
            for (double v : a.values) out.values.push_back(Single(v / std::sqrt(sum)));
            return out;
        }
        if (f == "cross") {
            need(2);
            const std::vector<double>& a = args[0].values;
            const std::vector<double>& b = args[1].values;
            if (a.size() != 3 || b.size() != 3) Fail(e.where, "cross needs two float3");
            return Constant{{Single(a[1] * b[2] - a[2] * b[1]), Single(a[2] * b[0] - a[0] * b[2]),
                             Single(a[0] * b[1] - a[1] * b[0])},
                            false};
        }
        if (f == "pow" || f == "min" || f == "max" || f == "atan2" || f == "fmod") {
            need(2);
            Constant out{{}, (f == "min" || f == "max") && args[0].integer && args[1].integer};
            const size_t n = std::max(args[0].values.size(), args[1].values.size());
            for (size_t i = 0; i < n; ++i) {
                const double x = args[0].values[args[0].values.size() == 1 ? 0 : i];
                const double y = args[1].values[args[1].values.size() == 1 ? 0 : i];
                const double r = f == "pow"     ? std::pow(x, y)
                                 : f == "min"   ? std::min(x, y)
                                 : f == "max"   ? std::max(x, y)
                                 : f == "atan2" ? std::atan2(x, y)
                                                : std::fmod(x, y);
                out.values.push_back(Single(r));
            }
            return out;
        }
        if (f == "lerp" || f == "clamp") {
            need(3);
            Constant out{{}, false};
            size_t n = 0;
            for (const Constant& a : args) n = std::max(n, a.values.size());
            for (size_t i = 0; i < n; ++i) {
                double v[3];
                for (int k = 0; k < 3; ++k) {
                    const std::vector<double>& a = args[static_cast<size_t>(k)].values;
                    v[k] = a[a.size() == 1 ? 0 : std::min(i, a.size() - 1)];
                }
                out.values.push_back(Single(f == "lerp" ? v[0] + (v[1] - v[0]) * v[2]
                                                        : std::min(std::max(v[0], v[1]), v[2])));
            }
            return out;
        }
        Fail(e.where, "'" + f + "' cannot be evaluated in a constant");
    }

    const ConstantLookup& lookup_;
};

}  // namespace

Constant FoldConstant(const Expr& e, const ConstantLookup& lookup) {
    return Folder(lookup).Fold(e, 0);
}

}  // namespace kl::d3dx9::hlsl
