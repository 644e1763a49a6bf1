#include "d3dx9/effect/hlsl_preprocessor.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <map>

namespace kl::d3dx9::hlsl {
namespace {

constexpr int kMaxIncludeDepth = 32;
constexpr int kMaxConditionalDepth = 256;
constexpr int kMaxExpressionDepth = 128;
// Bounds the work a hostile file can cause through recursive macro growth.
constexpr size_t kMaxExpansions = 200000;
// Bounds the memory the expanded tokens hold, counted in bytes (each token's
// record, its spelling and its list of hidden macro names), so that a macro
// that repeats a long name cannot grow gigabytes within the token count.
constexpr size_t kMaxExpandedBytes = size_t{32} << 20;

size_t TokenBytes(const Token& t) {
    return sizeof(Token) + t.text.size() +
           (t.hidden ? t.hidden->size() * sizeof(std::string) : size_t{0});
}

struct Macro {
    bool functionLike = false;
    std::vector<std::string> params;
    std::vector<Token> body;
};

struct Conditional {
    bool parentActive = true;
    bool active = false;
    bool taken = false;
    bool seenElse = false;
    SourceLocation where;
};

struct FileFrame {
    std::string path;
    std::vector<Token> tokens;
    size_t next = 0;
    size_t conditionalBase = 0;
};

bool IsHidden(const Token& t, const std::string& name) {
    return t.hidden && std::find(t.hidden->begin(), t.hidden->end(), name) != t.hidden->end();
}

class Preprocessor {
public:
    explicit Preprocessor(const PreprocessOptions& options) : options_(options) {
        for (const auto& [name, value] : options.defines) DefineFromCommandLine(name, value);
    }

    std::vector<Token> Run(const std::string& path, const std::string& text) {
        PushFile(path, text, SourceLocation{});
        for (;;) {
            Token token = Next();
            if (token.kind == TokenKind::EndOfFile) {
                output_.push_back(token);
                return std::move(output_);
            }
            Emit(std::move(token));
        }
    }

private:
    void DefineFromCommandLine(const std::string& name, const std::string& value) {
        auto file = std::make_shared<const std::string>("<define>");
        std::vector<Token> nameTokens = Tokenize(name, file);
        if (nameTokens.size() != 2 || nameTokens[0].kind != TokenKind::Identifier)
            Fail(nameTokens[0].where, "invalid macro name '" + name + "'");
        Macro macro;
        macro.body = Tokenize(value, file);
        macro.body.pop_back();
        macros_[name] = std::move(macro);
    }

    void PushFile(const std::string& path, const std::string& text, const SourceLocation& from) {
        if (files_.size() >= kMaxIncludeDepth) Fail(from, "#include nested too deeply");
        FileFrame frame;
        frame.path = path;
        frame.tokens = Tokenize(text, std::make_shared<const std::string>(path));
        frame.conditionalBase = conditionals_.size();
        files_.push_back(std::move(frame));
    }

    bool Active() const { return conditionals_.empty() || conditionals_.back().active; }

    // Raw tokens from the innermost file; directives and inactive regions are
    // handled here, so callers only see tokens that take part in expansion.
    Token NextFromFiles() {
        for (;;) {
            FileFrame& frame = files_.back();
            Token& token = frame.tokens[frame.next];
            if (token.kind == TokenKind::EndOfFile) {
                if (conditionals_.size() > frame.conditionalBase)
                    Fail(conditionals_.back().where, "#if without #endif");
                if (files_.size() == 1) return token;
                files_.pop_back();
                continue;
            }
            if (token.Is("#") && token.startsLine) {
                HandleDirective();
                continue;
            }
            ++frame.next;
            if (!Active()) continue;
            return token;
        }
    }

    Token Next() {
        if (!pending_.empty()) {
            Token t = std::move(pending_.front());
            pending_.pop_front();
            heldBytes_ -= TokenBytes(t);
            return t;
        }
        return NextFromFiles();
    }

    // Looks at the next token without consuming it (for "is '(' next?").
    const Token& PeekNext() {
        if (pending_.empty()) {
            pending_.push_back(NextFromFiles());
            heldBytes_ += TokenBytes(pending_.back());
        }
        return pending_.front();
    }

    void Emit(Token token) {
        if (token.kind == TokenKind::Identifier && !IsHidden(token, token.text)) {
            auto it = macros_.find(token.text);
            if (it != macros_.end() && Expand(token, it->second)) return;
        }
        heldBytes_ += TokenBytes(token);
        if (heldBytes_ > kMaxExpandedBytes) Fail(token.where, "preprocessed source too large");
        output_.push_back(std::move(token));
    }

    // Replaces a macro use by its expansion at the front of the pending queue
    // so the result is rescanned. Returns false for a function-like macro
    // that is not followed by '(' (then it is an ordinary name).
    bool Expand(const Token& use, const Macro& macro) {
        if (++expansions_ > kMaxExpansions) Fail(use.where, "macro expansion too deep");
        std::vector<std::vector<Token>> args;
        if (macro.functionLike) {
            if (!PeekNext().Is("(")) return false;
            args = CollectArguments(use, macro);
        }
        auto hidden = std::make_shared<std::vector<std::string>>();
        if (use.hidden) *hidden = *use.hidden;
        hidden->push_back(use.text);
        std::vector<Token> result = Substitute(macro, args, use);
        for (Token& t : result) {
            t.where = use.where;
            t.startsLine = false;
            if (t.hidden) {
                auto merged = std::make_shared<std::vector<std::string>>(*hidden);
                merged->insert(merged->end(), t.hidden->begin(), t.hidden->end());
                t.hidden = merged;
            } else {
                t.hidden = hidden;
            }
        }
        for (const Token& t : result) {
            heldBytes_ += TokenBytes(t);
            if (heldBytes_ > kMaxExpandedBytes) Fail(use.where, "macro expansion too large");
        }
        pending_.insert(pending_.begin(), result.begin(), result.end());
        return true;
    }

    std::vector<std::vector<Token>> CollectArguments(const Token& use, const Macro& macro) {
        Next();  // '('
        std::vector<std::vector<Token>> args(1);
        size_t argBytes = 0;
        int depth = 0;
        for (;;) {
            Token t = Next();
            if (t.kind == TokenKind::EndOfFile)
                Fail(use.where, "unterminated call of macro '" + use.text + "'");
            if (t.Is("(")) ++depth;
            if (t.Is(")")) {
                if (depth == 0) break;
                --depth;
            }
            if (t.Is(",") && depth == 0) {
                args.emplace_back();
                continue;
            }
            argBytes += TokenBytes(t);
            if (argBytes > kMaxExpandedBytes) Fail(use.where, "macro argument too large");
            args.back().push_back(std::move(t));
        }
        if (args.size() == 1 && args[0].empty() && macro.params.empty()) args.clear();
        if (args.size() != macro.params.size())
            Fail(use.where, "macro '" + use.text + "' expects " +
                                std::to_string(macro.params.size()) + " arguments, got " +
                                std::to_string(args.size()));
        return args;
    }

    std::vector<Token> Substitute(const Macro& macro, const std::vector<std::vector<Token>>& args,
                                  const Token& use) {
        auto paramIndex = [&](const Token& t) -> int {
            if (t.kind != TokenKind::Identifier) return -1;
            for (size_t i = 0; i < macro.params.size(); ++i)
                if (macro.params[i] == t.text) return static_cast<int>(i);
            return -1;
        };
        std::vector<Token> out;
        for (size_t i = 0; i < macro.body.size(); ++i) {
            const Token& t = macro.body[i];
            if (t.Is("#") && macro.functionLike && i + 1 < macro.body.size() &&
                paramIndex(macro.body[i + 1]) >= 0) {
                out.push_back(Stringize(args[paramIndex(macro.body[i + 1])], use));
                ++i;
                continue;
            }
            if (t.Is("##") && !out.empty() && i + 1 < macro.body.size()) {
                const Token& rhsToken = macro.body[i + 1];
                const int p = paramIndex(rhsToken);
                std::vector<Token> rhs = p >= 0 ? args[p] : std::vector<Token>{rhsToken};
                ++i;
                if (rhs.empty()) continue;
                Token pasted = Paste(out.back(), rhs.front(), use);
                out.back() = pasted;
                out.insert(out.end(), rhs.begin() + 1, rhs.end());
                continue;
            }
            const int p = paramIndex(t);
            if (p >= 0) {
                out.insert(out.end(), args[p].begin(), args[p].end());
            } else {
                out.push_back(t);
            }
        }
        return out;
    }

    Token Stringize(const std::vector<Token>& arg, const Token& use) {
        Token s;
        s.kind = TokenKind::StringLiteral;
        s.where = use.where;
        for (size_t i = 0; i < arg.size(); ++i) s.text += (i ? " " : "") + arg[i].text;
        return s;
    }

    Token Paste(const Token& a, const Token& b, const Token& use) {
        std::vector<Token> lexed = Tokenize(a.text + b.text, use.where.file);
        if (lexed.size() != 2) Fail(use.where, "'##' does not form a single token");
        lexed[0].where = use.where;
        return lexed[0];
    }

    // ---- directives ----

    std::vector<Token> DirectiveLine() {
        FileFrame& frame = files_.back();
        ++frame.next;  // '#'
        std::vector<Token> line;
        while (frame.tokens[frame.next].kind != TokenKind::EndOfFile &&
               !frame.tokens[frame.next].startsLine) {
            line.push_back(frame.tokens[frame.next++]);
        }
        return line;
    }

    void HandleDirective() {
        const SourceLocation hashAt = files_.back().tokens[files_.back().next].where;
        std::vector<Token> line = DirectiveLine();
        if (line.empty()) return;  // null directive
        const Token& name = line[0];
        const std::string& d = name.text;
        if (d == "if" || d == "ifdef" || d == "ifndef") {
            OpenConditional(d, line);
        } else if (d == "elif") {
            Elif(line);
        } else if (d == "else") {
            Else(name);
        } else if (d == "endif") {
            if (conditionals_.size() <= files_.back().conditionalBase)
                Fail(name.where, "#endif without #if");
            conditionals_.pop_back();
        } else if (!Active()) {
            return;
        } else if (d == "define") {
            Define(line);
        } else if (d == "undef") {
            if (line.size() < 2 || line[1].kind != TokenKind::Identifier)
                Fail(name.where, "#undef needs a name");
            macros_.erase(line[1].text);
        } else if (d == "include") {
            Include(line);
        } else if (d == "error") {
            std::string text;
            for (size_t i = 1; i < line.size(); ++i) text += (i > 1 ? " " : "") + line[i].text;
            Fail(name.where, "#error " + text);
        } else if (d == "pragma" || d == "line") {
            return;
        } else {
            Fail(hashAt, "unknown directive '#" + d + "'");
        }
    }

    void OpenConditional(const std::string& d, const std::vector<Token>& line) {
        if (conditionals_.size() >= kMaxConditionalDepth)
            Fail(line[0].where, "#if nested too deeply");
        Conditional c;
        c.where = line[0].where;
        c.parentActive = Active();
        bool value = false;
        if (c.parentActive) {
            if (d == "if") {
                value = Evaluate(line) != 0;
            } else {
                if (line.size() < 2 || line[1].kind != TokenKind::Identifier)
                    Fail(line[0].where, "#" + d + " needs a name");
                value = (macros_.count(line[1].text) != 0) == (d == "ifdef");
            }
        }
        c.active = c.parentActive && value;
        c.taken = c.active;
        conditionals_.push_back(c);
    }

    Conditional& CurrentConditional(const Token& at) {
        if (conditionals_.size() <= files_.back().conditionalBase)
            Fail(at.where, "#" + at.text + " without #if");
        return conditionals_.back();
    }

    void Elif(const std::vector<Token>& line) {
        Conditional& c = CurrentConditional(line[0]);
        if (c.seenElse) Fail(line[0].where, "#elif after #else");
        if (c.taken || !c.parentActive) {
            c.active = false;
            return;
        }
        c.active = Evaluate(line) != 0;
        c.taken = c.active;
    }

    void Else(const Token& at) {
        Conditional& c = CurrentConditional(at);
        if (c.seenElse) Fail(at.where, "#else after #else");
        c.seenElse = true;
        c.active = c.parentActive && !c.taken;
        c.taken = true;
    }

    void Define(const std::vector<Token>& line) {
        if (line.size() < 2 || line[1].kind != TokenKind::Identifier)
            Fail(line[0].where, "#define needs a name");
        Macro macro;
        size_t i = 2;
        const bool paramsFollow =
            i < line.size() && line[i].Is("(") && line[i].where.line == line[1].where.line &&
            line[i].where.column == line[1].where.column + static_cast<int>(line[1].text.size());
        if (paramsFollow) {
            macro.functionLike = true;
            ++i;
            while (i < line.size() && !line[i].Is(")")) {
                if (line[i].kind != TokenKind::Identifier)
                    Fail(line[i].where, "macro parameter name expected");
                macro.params.push_back(line[i].text);
                ++i;
                if (i < line.size() && line[i].Is(",")) ++i;
            }
            if (i >= line.size()) Fail(line[1].where, "missing ')' in macro parameter list");
            ++i;
        }
        macro.body.assign(line.begin() + static_cast<long>(i), line.end());
        macros_[line[1].text] = std::move(macro);
    }

    void Include(const std::vector<Token>& line) {
        std::string name;
        if (line.size() >= 2 && line[1].kind == TokenKind::StringLiteral) {
            name = line[1].text;
        } else if (line.size() >= 3 && line[1].Is("<")) {
            for (size_t i = 2; i < line.size() && !line[i].Is(">"); ++i) name += line[i].text;
        } else {
            Fail(line[0].where, "#include expects \"file\"");
        }
        std::string resolved;
        std::string contents;
        if (!options_.includeReader ||
            !options_.includeReader(files_.back().path, name, resolved, contents))
            Fail(line[1].where, "cannot open include file '" + name + "'");
        PushFile(resolved, contents, line[0].where);
    }

    // ---- #if expressions ----

    long long Evaluate(const std::vector<Token>& line) {
        std::vector<Token> resolved;
        for (size_t i = 1; i < line.size(); ++i) {
            if (line[i].IsWord("defined")) {
                size_t j = i + 1;
                const bool paren = j < line.size() && line[j].Is("(");
                if (paren) ++j;
                if (j >= line.size() || line[j].kind != TokenKind::Identifier)
                    Fail(line[i].where, "'defined' needs a name");
                Token value = line[i];
                value.kind = TokenKind::IntLiteral;
                value.text = macros_.count(line[j].text) ? "1" : "0";
                resolved.push_back(value);
                i = j + (paren ? 1 : 0);
                if (paren && (i >= line.size() || !line[i].Is(")")))
                    Fail(line[j].where, "missing ')' after 'defined'");
            } else {
                resolved.push_back(line[i]);
            }
        }
        std::vector<Token> expanded = ExpandLine(resolved);
        if (expanded.empty()) Fail(line[0].where, "#" + line[0].text + " without expression");
        exprTokens_ = &expanded;
        exprPos_ = 0;
        exprAt_ = line[0].where;
        const long long value = Ternary(0);
        if (exprPos_ != expanded.size())
            Fail(expanded[exprPos_].where, "unexpected '" + expanded[exprPos_].text + "' in #if");
        return value;
    }

    // Macro-expands a directive's tokens in isolation.
    std::vector<Token> ExpandLine(const std::vector<Token>& tokens) {
        std::deque<Token> savedPending;
        savedPending.swap(pending_);
        std::vector<Token> savedOutput;
        savedOutput.swap(output_);
        const size_t savedBytes = heldBytes_;
        heldBytes_ = 0;
        Token end;
        end.kind = TokenKind::EndOfFile;
        pending_.assign(tokens.begin(), tokens.end());
        pending_.push_back(end);
        for (const Token& t : pending_) heldBytes_ += TokenBytes(t);
        for (;;) {
            Token t = Next();
            if (t.kind == TokenKind::EndOfFile) break;
            Emit(std::move(t));
        }
        std::vector<Token> result;
        result.swap(output_);
        output_.swap(savedOutput);
        pending_.swap(savedPending);
        heldBytes_ = savedBytes;
        return result;
    }

    const Token* ExprPeek() const {
        return exprPos_ < exprTokens_->size() ? &(*exprTokens_)[exprPos_] : nullptr;
    }
    bool ExprAccept(const char* p) {
        const Token* t = ExprPeek();
        if (t && t->Is(p)) {
            ++exprPos_;
            return true;
        }
        return false;
    }

    long long Ternary(int depth) {
        if (depth > kMaxExpressionDepth) Fail(exprAt_, "#if expression nested too deeply");
        const long long c = Binary(0, depth);
        if (!ExprAccept("?")) return c;
        const long long a = Ternary(depth + 1);
        if (!ExprAccept(":")) Fail(exprAt_, "expected ':' in #if expression");
        const long long b = Ternary(depth + 1);
        return c ? a : b;
    }

    static int Precedence(const std::string& op) {
        static const std::map<std::string, int> table = {
            {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4},  {"&", 5},  {"==", 6},
            {"!=", 6}, {"<", 7},  {">", 7}, {"<=", 7}, {">=", 7}, {"<<", 8},
            {">>", 8}, {"+", 9},  {"-", 9}, {"*", 10}, {"/", 10}, {"%", 10}};
        auto it = table.find(op);
        return it == table.end() ? -1 : it->second;
    }

    long long Binary(int minPrec, int depth) {
        long long lhs = Unary(depth + 1);
        for (;;) {
            const Token* t = ExprPeek();
            if (!t || t->kind != TokenKind::Punct) return lhs;
            const int prec = Precedence(t->text);
            if (prec < 0 || prec < minPrec) return lhs;
            const std::string op = t->text;
            const SourceLocation at = t->where;
            ++exprPos_;
            const long long rhs = Binary(prec + 1, depth + 1);
            lhs = Apply(op, lhs, rhs, at);
        }
    }

    static long long Apply(const std::string& op, long long a, long long b,
                           const SourceLocation& at) {
        if ((op == "/" || op == "%") && b == 0) Fail(at, "division by zero in #if");
        if (op == "||") return a || b;
        if (op == "&&") return a && b;
        if (op == "|") return a | b;
        if (op == "^") return a ^ b;
        if (op == "&") return a & b;
        if (op == "==") return a == b;
        if (op == "!=") return a != b;
        if (op == "<") return a < b;
        if (op == ">") return a > b;
        if (op == "<=") return a <= b;
        if (op == ">=") return a >= b;
        if (op == "<<")
            return static_cast<long long>(static_cast<unsigned long long>(a) << (b & 63));
        if (op == ">>") return a >> (b & 63);
        if (op == "+") return static_cast<long long>(static_cast<unsigned long long>(a) + b);
        if (op == "-") return static_cast<long long>(static_cast<unsigned long long>(a) - b);
        if (op == "*") return static_cast<long long>(static_cast<unsigned long long>(a) * b);
        if (a == INT64_MIN && b == -1) return op == "/" ? a : 0;
        if (op == "/") return a / b;
        return a % b;
    }

    long long Unary(int depth) {
        if (depth > kMaxExpressionDepth) Fail(exprAt_, "#if expression nested too deeply");
        const Token* t = ExprPeek();
        if (!t) Fail(exprAt_, "incomplete #if expression");
        if (ExprAccept("!")) return !Unary(depth + 1);
        if (ExprAccept("~")) return ~Unary(depth + 1);
        if (ExprAccept("-"))
            return static_cast<long long>(0ull - static_cast<unsigned long long>(Unary(depth + 1)));
        if (ExprAccept("+")) return Unary(depth + 1);
        if (ExprAccept("(")) {
            const long long v = Ternary(depth + 1);
            if (!ExprAccept(")")) Fail(exprAt_, "expected ')' in #if expression");
            return v;
        }
        ++exprPos_;
        if (t->kind == TokenKind::IntLiteral)
            return static_cast<long long>(std::strtoull(t->text.c_str(), nullptr, 0));
        if (t->kind == TokenKind::Identifier) return 0;  // undefined names are 0
        Fail(t->where, "unexpected '" + t->text + "' in #if expression");
    }

    const PreprocessOptions& options_;
    std::map<std::string, Macro> macros_;
    std::vector<FileFrame> files_;
    std::vector<Conditional> conditionals_;
    std::deque<Token> pending_;
    std::vector<Token> output_;
    size_t heldBytes_ = 0;  // TokenBytes of every token in pending_ and output_
    size_t expansions_ = 0;
    const std::vector<Token>* exprTokens_ = nullptr;
    size_t exprPos_ = 0;
    SourceLocation exprAt_;
};

}  // namespace

std::vector<Token> Preprocess(const std::string& path, const std::string& text,
                              const PreprocessOptions& options) {
    return Preprocessor(options).Run(path, text);
}

}  // namespace kl::d3dx9::hlsl
