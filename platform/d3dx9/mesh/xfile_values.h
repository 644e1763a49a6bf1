// Reads the flattened member values of one data object in order, checking
// kinds and ranges. Every count read through ReadCount is checked against the
// values that are left, so a huge count in a small file fails before any
// allocation.
#pragma once

#include <string>

#include "d3dx9/mesh/xfile_tree.h"

namespace kl::d3dx9::xfile {

class ValueCursor {
public:
    explicit ValueCursor(const Object& obj) : obj_(obj) {}

    size_t Left() const { return obj_.values.size() - next_; }

    bool ReadUInt(uint32_t& out) {
        if (Left() == 0) return false;
        const Value& v = obj_.values[next_];
        // Written so that NaN fails the range test before any conversion.
        if (v.kind == Value::Kind::String || !(v.number >= 0.0 && v.number <= 4294967295.0) ||
            v.number != static_cast<double>(static_cast<uint32_t>(v.number))) {
            return false;
        }
        out = static_cast<uint32_t>(v.number);
        ++next_;
        return true;
    }

    bool ReadFloat(float& out) {
        if (Left() == 0 || obj_.values[next_].kind == Value::Kind::String) return false;
        out = static_cast<float>(obj_.values[next_++].number);
        return true;
    }

    bool ReadFloats(float* out, int n) {
        for (int i = 0; i < n; ++i) {
            if (!ReadFloat(out[i])) return false;
        }
        return true;
    }

    bool ReadString(std::string& out) {
        if (Left() == 0 || obj_.values[next_].kind != Value::Kind::String) return false;
        out = obj_.strings[obj_.values[next_++].stringIndex];
        return true;
    }

    // A count of items that each take at least valuesPerItem values.
    bool ReadCount(uint32_t& out, size_t valuesPerItem) {
        return ReadUInt(out) && out <= Left() / valuesPerItem;
    }

private:
    const Object& obj_;
    size_t next_ = 0;
};

}  // namespace kl::d3dx9::xfile
