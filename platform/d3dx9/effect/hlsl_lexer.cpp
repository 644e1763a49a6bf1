#include "d3dx9/effect/hlsl_lexer.h"

#include <cctype>
#include <cstring>

namespace kl::d3dx9::hlsl {
namespace {

const char* const kPunctuators[] = {
    "<<=", ">>=", "++", "--", "<<", ">>", "<=", ">=", "==", "!=", "&&", "||",
    "+=",  "-=",  "*=", "/=", "%=", "&=", "|=", "^=", "##", "::", "+",  "-",
    "*",   "/",   "%",  "<",  ">",  "=",  "!",  "~",  "&",  "|",  "^",  "?",
    ":",   ";",   ",",  ".",  "(",  ")",  "[",  "]",  "{",  "}",  "#"};

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Lexer {
public:
    Lexer(const std::string& text, std::shared_ptr<const std::string> file)
        : text_(text), file_(std::move(file)) {}

    std::vector<Token> Run() {
        // Editors on Windows often start UTF-8 files with a byte-order mark.
        if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
        std::vector<Token> tokens;
        for (;;) {
            SkipSpaceAndComments();
            Token token;
            token.where = Here();
            token.startsLine = atLineStart_;
            if (pos_ >= text_.size()) {
                token.kind = TokenKind::EndOfFile;
                tokens.push_back(token);
                return tokens;
            }
            if (Peek() == '<' && FollowsIncludeDirective(tokens)) {
                ReadHeaderName(token);
            } else {
                ReadToken(token);
            }
            atLineStart_ = false;
            tokens.push_back(std::move(token));
        }
    }

private:
    SourceLocation Here() const { return SourceLocation{file_, line_, column_}; }

    char Peek(size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    void Advance() {
        if (text_[pos_] == '\n') {
            ++line_;
            column_ = 1;
            atLineStart_ = true;
        } else {
            ++column_;
        }
        ++pos_;
    }

    // Backslash followed by a newline (optionally CR LF) continues the line.
    bool SkipLineContinuation() {
        if (Peek() != '\\') return false;
        size_t n = 1;
        if (Peek(n) == '\r') ++n;
        if (Peek(n) != '\n') return false;
        pos_ += n + 1;
        ++line_;
        column_ = 1;
        return true;
    }

    void SkipSpaceAndComments() {
        while (pos_ < text_.size()) {
            const char c = Peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                Advance();
            } else if (SkipLineContinuation()) {
            } else if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && Peek() != '\n') Advance();
            } else if (c == '/' && Peek(1) == '*') {
                const SourceLocation start = Here();
                Advance();
                Advance();
                while (!(Peek() == '*' && Peek(1) == '/')) {
                    if (pos_ >= text_.size()) Fail(start, "unterminated comment");
                    Advance();
                }
                Advance();
                Advance();
            } else {
                return;
            }
        }
    }

    void ReadToken(Token& token) {
        const char c = Peek();
        if (IsIdentStart(c)) {
            token.kind = TokenKind::Identifier;
            while (IsIdentChar(Peek())) {
                token.text += Peek();
                Advance();
            }
        } else if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
            ReadNumber(token);
        } else if (c == '"') {
            ReadString(token);
        } else {
            ReadPunct(token);
        }
    }

    static bool FollowsIncludeDirective(const std::vector<Token>& tokens) {
        const size_t n = tokens.size();
        return n >= 2 && tokens[n - 2].Is("#") && tokens[n - 2].startsLine &&
               tokens[n - 1].IsWord("include") &&
               tokens[n - 1].where.line == tokens[n - 2].where.line;
    }

    // `#include <dir\file.fxh>`: the name is taken verbatim, backslashes and
    // all, and handed on as a string literal.
    void ReadHeaderName(Token& token) {
        token.kind = TokenKind::StringLiteral;
        Advance();
        while (Peek() != '>') {
            if (pos_ >= text_.size() || Peek() == '\n')
                Fail(token.where, "unterminated <file name>");
            Take(token);
        }
        Advance();
    }

    void ReadNumber(Token& token) {
        token.kind = TokenKind::IntLiteral;
        if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
            token.text = "0x";
            Advance();
            Advance();
            while (std::isxdigit(static_cast<unsigned char>(Peek()))) {
                token.text += Peek();
                Advance();
            }
            if (token.text.size() == 2) Fail(token.where, "hexadecimal number without digits");
        } else {
            while (IsDigit(Peek())) Take(token);
            if (Peek() == '.') {
                token.kind = TokenKind::FloatLiteral;
                Take(token);
                while (IsDigit(Peek())) Take(token);
            }
            if ((Peek() == 'e' || Peek() == 'E') &&
                (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
                token.kind = TokenKind::FloatLiteral;
                Take(token);
                if (Peek() == '+' || Peek() == '-') Take(token);
                while (IsDigit(Peek())) Take(token);
            }
        }
        // Suffixes: f/h/l mark floating point, u/l integers; GLSL gets plain numbers.
        while (std::strchr("fFhHlLuU", Peek()) != nullptr && Peek() != '\0') {
            if (std::strchr("fFhH", Peek()) != nullptr) token.kind = TokenKind::FloatLiteral;
            Advance();
        }
        if (IsIdentChar(Peek())) Fail(Here(), "invalid character in number");
    }

    void Take(Token& token) {
        token.text += Peek();
        Advance();
    }

    void ReadString(Token& token) {
        token.kind = TokenKind::StringLiteral;
        Advance();
        while (Peek() != '"') {
            if (pos_ >= text_.size() || Peek() == '\n') Fail(token.where, "unterminated string");
            if (Peek() == '\\' && Peek(1) != '\0' && Peek(1) != '\n') Take(token);
            Take(token);
        }
        Advance();
    }

    void ReadPunct(Token& token) {
        for (const char* p : kPunctuators) {
            const size_t n = std::strlen(p);
            if (text_.compare(pos_, n, p) == 0) {
                token.kind = TokenKind::Punct;
                token.text = p;
                for (size_t i = 0; i < n; ++i) Advance();
                return;
            }
        }
        const unsigned char c = static_cast<unsigned char>(Peek());
        Fail(token.where, std::isprint(c)
                              ? std::string("unexpected character '") + static_cast<char>(c) + "'"
                              : "unexpected byte " + std::to_string(c));
    }

    const std::string& text_;
    std::shared_ptr<const std::string> file_;
    size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
    bool atLineStart_ = true;
};

}  // namespace

std::vector<Token> Tokenize(const std::string& text, std::shared_ptr<const std::string> file) {
    return Lexer(text, std::move(file)).Run();
}

}  // namespace kl::d3dx9::hlsl
