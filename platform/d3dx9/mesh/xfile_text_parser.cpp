// Text .x bodies. Separators (',' and ';') carry no information for the
// templates we read, so the lexer drops them and the parser sees a stream of
// names, numbers, strings, GUIDs and braces.
#include <charconv>
#include <string_view>

#include "d3dx9/mesh/xfile_parsers.h"

namespace kl::d3dx9::xfile {
namespace {

enum class TokenKind { End, Name, Number, String, Guid, OpenBrace, CloseBrace, Other, Broken };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    double number = 0.0;
    bool isInteger = false;
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsDelimiter(char c) {
    switch (c) {
        case '{':
        case '}':
        case '[':
        case ']':
        case '(':
        case ')':
        case '<':
        case '>':
        case ';':
        case ',':
        case '"':
            return true;
        default:
            return IsSpace(c);
    }
}

bool StartsLikeNumber(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

class TextLexer {
public:
    TextLexer(const char* begin, size_t size) : pos_(begin), end_(begin + size) {}

    Token Next() {
        SkipSpaceAndSeparators();
        if (pos_ == end_) return Token{};
        const char c = *pos_;
        if (c == '{') return Single(TokenKind::OpenBrace);
        if (c == '}') return Single(TokenKind::CloseBrace);
        if (c == '"') return LexString();
        if (c == '<') return LexGuid();
        if (IsDelimiter(c)) return Single(TokenKind::Other);
        return LexWord();
    }

private:
    void SkipSpaceAndSeparators() {
        while (pos_ != end_) {
            const char c = *pos_;
            if (IsSpace(c) || c == ',' || c == ';') {
                ++pos_;
            } else if (c == '#' || (c == '/' && pos_ + 1 != end_ && pos_[1] == '/')) {
                while (pos_ != end_ && *pos_ != '\n') ++pos_;
            } else {
                return;
            }
        }
    }

    Token Single(TokenKind kind) {
        Token t{kind, std::string_view(pos_, 1)};
        ++pos_;
        return t;
    }

    // Strings are kept byte for byte; a file path such as C:\art\wall.tga keeps its backslashes.
    Token LexString() {
        const char* start = ++pos_;
        while (pos_ != end_ && *pos_ != '"') ++pos_;
        if (pos_ == end_) return Token{TokenKind::Broken, {}};
        Token t{TokenKind::String, std::string_view(start, static_cast<size_t>(pos_ - start))};
        ++pos_;
        return t;
    }

    Token LexGuid() {
        const char* start = pos_;
        while (pos_ != end_ && *pos_ != '>') ++pos_;
        if (pos_ == end_) return Token{TokenKind::Broken, {}};
        ++pos_;
        return {TokenKind::Guid, std::string_view(start, static_cast<size_t>(pos_ - start))};
    }

    Token LexWord() {
        const char* start = pos_;
        while (pos_ != end_ && !IsDelimiter(*pos_)) ++pos_;
        Token t{TokenKind::Name, std::string_view(start, static_cast<size_t>(pos_ - start))};
        if (StartsLikeNumber(*start)) ClassifyNumber(t);
        return t;
    }

    static void ClassifyNumber(Token& t) {
        const char* first = t.text.data();
        const char* last = first + t.text.size();
        if (*first == '+') ++first;  // from_chars does not accept a leading '+'
        double value = 0.0;
        const auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || ptr != last) return;
        t.kind = TokenKind::Number;
        t.number = value;
        t.isInteger = t.text.find_first_of(".eE") == std::string_view::npos;
    }

    const char* pos_;
    const char* end_;
};

class TextParser {
public:
    TextParser(const uint8_t* data, size_t size)
        : lexer_(reinterpret_cast<const char*>(data), size) {}

    ParseStatus ParseFile(Tree& out) {
        for (;;) {
            const Token t = lexer_.Next();
            if (t.kind == TokenKind::End) return ParseStatus::Ok;
            if (t.kind != TokenKind::Name) return ParseStatus::Malformed;
            if (t.text == "template") {
                if (!SkipTemplate()) return ParseStatus::Malformed;
                continue;
            }
            out.objects.emplace_back();
            const ParseStatus s = ParseObjectAfterType(t.text, out.objects.back(), 1);
            if (s != ParseStatus::Ok) return s;
            if (!SettleLastObject(out.objects, &kept_)) return ParseStatus::TooLarge;
        }
    }

private:
    // `template Name { <guid> members [restrictions] }`: nothing in it is kept.
    bool SkipTemplate() {
        if (lexer_.Next().kind != TokenKind::Name) return false;
        if (lexer_.Next().kind != TokenKind::OpenBrace) return false;
        int depth = 1;
        while (depth > 0) {
            const Token t = lexer_.Next();
            if (t.kind == TokenKind::End || t.kind == TokenKind::Broken) return false;
            if (t.kind == TokenKind::OpenBrace) ++depth;
            if (t.kind == TokenKind::CloseBrace) --depth;
        }
        return true;
    }

    // After the type name: an optional object name, then the body in braces.
    ParseStatus ParseObjectAfterType(std::string_view type, Object& obj, int depth) {
        if (depth > kMaxNesting) return ParseStatus::TooDeep;
        obj.type.assign(type);
        Token t = lexer_.Next();
        // Exporters also write names made of digits only, such as `Frame 1 {`.
        if (t.kind == TokenKind::Name || t.kind == TokenKind::Number) {
            obj.name.assign(t.text);
            t = lexer_.Next();
        }
        if (t.kind != TokenKind::OpenBrace) return ParseStatus::Malformed;
        return ParseBody(obj, depth);
    }

    ParseStatus ParseBody(Object& obj, int depth) {
        for (;;) {
            const Token t = lexer_.Next();
            switch (t.kind) {
                case TokenKind::CloseBrace:
                    return ParseStatus::Ok;
                case TokenKind::Number:
                    obj.values.push_back(
                        {t.isInteger ? Value::Kind::Integer : Value::Kind::Float, t.number, 0});
                    break;
                case TokenKind::String:
                    obj.values.push_back(
                        {Value::Kind::String, 0.0, static_cast<uint32_t>(obj.strings.size())});
                    obj.strings.emplace_back(t.text);
                    break;
                case TokenKind::Guid:
                    break;  // the template's class id; the type name already says it
                case TokenKind::OpenBrace:
                    if (!ParseReference(obj)) return ParseStatus::Malformed;
                    if (!SettleLastObject(obj.children, &kept_)) return ParseStatus::TooLarge;
                    break;
                case TokenKind::Name: {
                    obj.children.emplace_back();
                    const ParseStatus s =
                        ParseObjectAfterType(t.text, obj.children.back(), depth + 1);
                    if (s != ParseStatus::Ok) return s;
                    if (!SettleLastObject(obj.children, &kept_)) return ParseStatus::TooLarge;
                    break;
                }
                default:
                    return ParseStatus::Malformed;
            }
        }
    }

    // `{ Name }`, `{ <guid> }` or `{ Name <guid> }`.
    bool ParseReference(Object& parent) {
        Object ref;
        ref.isReference = true;
        Token t = lexer_.Next();
        if (t.kind == TokenKind::Name || t.kind == TokenKind::Number) {
            ref.name.assign(t.text);
            t = lexer_.Next();
        }
        if (t.kind == TokenKind::Guid) t = lexer_.Next();
        if (t.kind != TokenKind::CloseBrace) return false;
        parent.children.push_back(std::move(ref));
        return true;
    }

    TextLexer lexer_;
    size_t kept_ = 0;
};

}  // namespace

ParseStatus ParseTextBody(const uint8_t* data, size_t size, Tree& out) {
    return TextParser(data, size).ParseFile(out);
}

}  // namespace kl::d3dx9::xfile
