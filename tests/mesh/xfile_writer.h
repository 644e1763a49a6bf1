// Builds binary .x files token by token for the reader tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kl::test {

class BinaryXWriter {
public:
    // dwordStringEnds: strings end with a 32-bit terminator instead of a token.
    explicit BinaryXWriter(bool doubles = false, bool dwordStringEnds = false)
        : bytes_(doubles ? "xof 0303bin 0064" : "xof 0303bin 0032"),
          doubles_(doubles),
          dwordStringEnds_(dwordStringEnds) {}

    BinaryXWriter& Begin(const std::string& type, const std::string& name = {}) {
        Name(type);
        if (!name.empty()) Name(name);
        return Token(10);
    }
    BinaryXWriter& End() { return Token(11); }
    BinaryXWriter& Reference(const std::string& name) {
        Token(10);
        Name(name);
        return Token(11);
    }
    BinaryXWriter& Ints(const std::vector<uint32_t>& values) {
        Token(6);
        U32(static_cast<uint32_t>(values.size()));
        for (uint32_t v : values) U32(v);
        return *this;
    }
    BinaryXWriter& Floats(const std::vector<double>& values) {
        Token(7);
        U32(static_cast<uint32_t>(values.size()));
        for (double v : values) {
            if (doubles_) {
                Raw(&v, sizeof v);
            } else {
                const float f = static_cast<float>(v);
                Raw(&f, sizeof f);
            }
        }
        return *this;
    }
    BinaryXWriter& String(const std::string& text) {
        Token(2);
        U32(static_cast<uint32_t>(text.size()));
        bytes_ += text;
        if (dwordStringEnds_) return U32(20);
        return Token(20);
    }
    BinaryXWriter& Name(const std::string& text) {
        Token(1);
        U32(static_cast<uint32_t>(text.size()));
        bytes_ += text;
        return *this;
    }
    BinaryXWriter& Token(uint16_t id) {
        Raw(&id, sizeof id);
        return *this;
    }
    BinaryXWriter& U32(uint32_t v) {
        Raw(&v, sizeof v);
        return *this;
    }
    BinaryXWriter& Guid() {
        Token(5);
        bytes_.append(16, '\x11');
        return *this;
    }

    const std::string& Bytes() const { return bytes_; }

private:
    void Raw(const void* p, size_t n) { bytes_.append(static_cast<const char*>(p), n); }

    std::string bytes_;
    bool doubles_;
    bool dwordStringEnds_;
};

}  // namespace kl::test
