// Binary .x bodies: a stream of 16-bit little-endian tokens, some followed by
// a payload (names, strings, integer and float lists, GUIDs).
#include <cstring>

#include "d3dx9/mesh/xfile_parsers.h"

namespace kl::d3dx9::xfile {
namespace {

enum TokenId : uint16_t {
    kTokenName = 1,
    kTokenString = 2,
    kTokenInteger = 3,
    kTokenGuid = 5,
    kTokenIntegerList = 6,
    kTokenFloatList = 7,
    kTokenOpenBrace = 10,
    kTokenCloseBrace = 11,
    kTokenOpenParen = 12,
    kTokenCloseParen = 13,
    kTokenOpenBracket = 14,
    kTokenCloseBracket = 15,
    kTokenOpenAngle = 16,
    kTokenCloseAngle = 17,
    kTokenDot = 18,
    kTokenComma = 19,
    kTokenSemicolon = 20,
    kTokenTemplate = 31,
    kTokenWord = 40,
    kTokenDword = 41,
    kTokenFloat = 42,
    kTokenDouble = 43,
    kTokenChar = 44,
    kTokenUchar = 45,
    kTokenSword = 46,
    kTokenSdword = 47,
    kTokenVoid = 48,
    kTokenLpstr = 49,
    kTokenUnicode = 50,
    kTokenCstring = 51,
    kTokenArray = 52,
};

constexpr size_t kGuidBytes = 16;

// Keywords and punctuation that carry no payload (used inside templates).
bool IsBareToken(uint16_t id) {
    return (id >= kTokenOpenBrace && id <= kTokenSemicolon) || id == kTokenTemplate ||
           (id >= kTokenWord && id <= kTokenArray);
}

class BinaryReader {
public:
    BinaryReader(const uint8_t* data, size_t size) : pos_(data), end_(data + size) {}

    size_t Left() const { return static_cast<size_t>(end_ - pos_); }
    bool AtEnd() const { return pos_ == end_; }

    bool ReadU16(uint16_t& v) { return ReadRaw(&v, sizeof v); }
    bool ReadU32(uint32_t& v) { return ReadRaw(&v, sizeof v); }
    bool Skip(size_t n) {
        if (n > Left()) return false;
        pos_ += n;
        return true;
    }
    bool ReadText(std::string& out) {
        uint32_t length = 0;
        if (!ReadU32(length) || length > Left()) return false;
        out.assign(reinterpret_cast<const char*>(pos_), length);
        pos_ += length;
        return true;
    }
    bool PeekU16(uint16_t& v) const {
        if (Left() < sizeof v) return false;
        std::memcpy(&v, pos_, sizeof v);
        return true;
    }
    bool ReadFloat(int floatBytes, double& v) {
        if (floatBytes == 8) return ReadRaw(&v, sizeof v);
        float f = 0.0f;
        if (!ReadRaw(&f, sizeof f)) return false;
        v = f;
        return true;
    }

private:
    // The files are little-endian, as is every machine we build for.
    bool ReadRaw(void* out, size_t n) {
        if (n > Left()) return false;
        std::memcpy(out, pos_, n);
        pos_ += n;
        return true;
    }

    const uint8_t* pos_;
    const uint8_t* end_;
};

class BinaryParser {
public:
    BinaryParser(const uint8_t* data, size_t size, int floatBytes)
        : in_(data, size), floatBytes_(floatBytes) {}

    ParseStatus ParseFile(Tree& out) {
        while (!in_.AtEnd()) {
            uint16_t id = 0;
            if (!in_.ReadU16(id)) return ParseStatus::Malformed;
            if (id == kTokenTemplate) {
                if (!SkipTemplate()) return ParseStatus::Malformed;
                continue;
            }
            if (id != kTokenName) return ParseStatus::Malformed;
            out.objects.emplace_back();
            Object& obj = out.objects.back();
            if (!in_.ReadText(obj.type)) return ParseStatus::Malformed;
            const ParseStatus s = ParseObjectAfterType(obj, 1);
            if (s != ParseStatus::Ok) return s;
            if (!SettleLastObject(out.objects, &kept_)) return ParseStatus::TooLarge;
        }
        return ParseStatus::Ok;
    }

private:
    // Reads one token with its payload and throws it away; used for template bodies.
    bool SkipToken(uint16_t id) {
        std::string scratch;
        uint32_t count = 0;
        switch (id) {
            case kTokenName:
                return in_.ReadText(scratch);
            case kTokenString:
                return in_.ReadText(scratch) && SkipStringTerminator();
            case kTokenInteger:
                return in_.Skip(4);
            case kTokenGuid:
                return in_.Skip(kGuidBytes);
            case kTokenIntegerList:
                return in_.ReadU32(count) && count <= in_.Left() / 4 && in_.Skip(count * size_t{4});
            case kTokenFloatList:
                return in_.ReadU32(count) && count <= in_.Left() / floatBytes_ &&
                       in_.Skip(count * static_cast<size_t>(floatBytes_));
            default:
                return IsBareToken(id);
        }
    }

    // The terminator after a string is a semicolon or comma token, written by
    // some files as a 16-bit token and by others as a 32-bit value, whose
    // upper half (0) is then skipped too: no token has the id 0.
    bool SkipStringTerminator() {
        uint16_t next = 0;
        if (in_.PeekU16(next) && (next == kTokenSemicolon || next == kTokenComma)) {
            in_.Skip(2);
            if (in_.PeekU16(next) && next == 0) in_.Skip(2);
        }
        return true;
    }

    bool SkipTemplate() {
        uint16_t id = 0;
        if (!in_.ReadU16(id) || id != kTokenName || !SkipToken(id)) return false;
        if (!in_.ReadU16(id) || id != kTokenOpenBrace) return false;
        int depth = 1;
        while (depth > 0) {
            if (!in_.ReadU16(id) || !SkipToken(id)) return false;
            if (id == kTokenOpenBrace) ++depth;
            if (id == kTokenCloseBrace) --depth;
        }
        return true;
    }

    ParseStatus ParseObjectAfterType(Object& obj, int depth) {
        if (depth > kMaxNesting) return ParseStatus::TooDeep;
        uint16_t id = 0;
        if (!in_.ReadU16(id)) return ParseStatus::Malformed;
        if (id == kTokenName) {
            if (!in_.ReadText(obj.name) || !in_.ReadU16(id)) return ParseStatus::Malformed;
        }
        if (id != kTokenOpenBrace) return ParseStatus::Malformed;
        return ParseBody(obj, depth);
    }

    ParseStatus ParseBody(Object& obj, int depth) {
        for (;;) {
            uint16_t id = 0;
            if (!in_.ReadU16(id)) return ParseStatus::Malformed;
            switch (id) {
                case kTokenCloseBrace:
                    return ParseStatus::Ok;
                case kTokenIntegerList:
                    if (!ReadIntegerList(obj)) return ParseStatus::Malformed;
                    break;
                case kTokenFloatList:
                    if (!ReadFloatList(obj)) return ParseStatus::Malformed;
                    break;
                case kTokenInteger: {
                    uint32_t v = 0;
                    if (!in_.ReadU32(v)) return ParseStatus::Malformed;
                    obj.values.push_back({Value::Kind::Integer, static_cast<double>(v), 0});
                    break;
                }
                case kTokenString:
                    if (!ReadString(obj)) return ParseStatus::Malformed;
                    break;
                case kTokenGuid:
                    if (!in_.Skip(kGuidBytes)) return ParseStatus::Malformed;
                    break;
                case kTokenComma:
                case kTokenSemicolon:
                    break;
                case kTokenOpenBrace:
                    if (!ParseReference(obj)) return ParseStatus::Malformed;
                    if (!SettleLastObject(obj.children, &kept_)) return ParseStatus::TooLarge;
                    break;
                case kTokenName: {
                    obj.children.emplace_back();
                    Object& child = obj.children.back();
                    if (!in_.ReadText(child.type)) return ParseStatus::Malformed;
                    const ParseStatus s = ParseObjectAfterType(child, depth + 1);
                    if (s != ParseStatus::Ok) return s;
                    if (!SettleLastObject(obj.children, &kept_)) return ParseStatus::TooLarge;
                    break;
                }
                default:
                    return ParseStatus::Malformed;
            }
        }
    }

    bool ReadIntegerList(Object& obj) {
        uint32_t count = 0;
        if (!in_.ReadU32(count) || count > in_.Left() / 4) return false;
        obj.values.reserve(obj.values.size() + count);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t v = 0;
            in_.ReadU32(v);
            obj.values.push_back({Value::Kind::Integer, static_cast<double>(v), 0});
        }
        return true;
    }

    bool ReadFloatList(Object& obj) {
        uint32_t count = 0;
        if (!in_.ReadU32(count) || count > in_.Left() / floatBytes_) return false;
        obj.values.reserve(obj.values.size() + count);
        for (uint32_t i = 0; i < count; ++i) {
            double v = 0.0;
            in_.ReadFloat(floatBytes_, v);
            obj.values.push_back({Value::Kind::Float, v, 0});
        }
        return true;
    }

    bool ReadString(Object& obj) {
        std::string text;
        if (!in_.ReadText(text)) return false;
        SkipStringTerminator();
        obj.values.push_back({Value::Kind::String, 0.0, static_cast<uint32_t>(obj.strings.size())});
        obj.strings.push_back(std::move(text));
        return true;
    }

    // `{ Name }`, `{ <guid> }` or `{ Name <guid> }` as tokens.
    bool ParseReference(Object& parent) {
        Object ref;
        ref.isReference = true;
        uint16_t id = 0;
        if (!in_.ReadU16(id)) return false;
        if (id == kTokenName) {
            if (!in_.ReadText(ref.name) || !in_.ReadU16(id)) return false;
        }
        if (id == kTokenGuid) {
            if (!in_.Skip(kGuidBytes) || !in_.ReadU16(id)) return false;
        }
        if (id != kTokenCloseBrace) return false;
        parent.children.push_back(std::move(ref));
        return true;
    }

    BinaryReader in_;
    int floatBytes_;
    size_t kept_ = 0;
};

}  // namespace

ParseStatus ParseBinaryBody(const uint8_t* data, size_t size, int floatBytes, Tree& out) {
    return BinaryParser(data, size, floatBytes).ParseFile(out);
}

}  // namespace kl::d3dx9::xfile
