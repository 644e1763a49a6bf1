// The .x header: "xof ", a version ("0302" or "0303"), the format ("txt " or
// "bin "; the compressed "tzip"/"bzip" are refused) and the float size
// ("0032" or "0064").
#include <strings.h>

#include <cstring>

#include "d3dx9/mesh/xfile_parsers.h"

namespace kl::d3dx9::xfile {
namespace {

constexpr size_t kHeaderSize = 16;

bool HeaderFieldIs(const uint8_t* field, const char* text) {
    return std::memcmp(field, text, 4) == 0;
}

bool IsKnownVersion(const uint8_t* field) {
    return HeaderFieldIs(field, "0302") || HeaderFieldIs(field, "0303");
}

}  // namespace

bool IsReadTemplate(const std::string& type) {
    static const char* const kRead[] = {"Mesh",
                                        "Frame",
                                        "FrameTransformMatrix",
                                        "MeshNormals",
                                        "MeshTextureCoords",
                                        "MeshMaterialList",
                                        "Material",
                                        "TextureFilename"};
    for (const char* name : kRead)
        if (strcasecmp(type.c_str(), name) == 0) return true;
    return false;
}

bool SettleLastObject(std::vector<Object>& siblings, size_t* kept) {
    const Object& last = siblings.back();
    if (!last.isReference && last.children.empty() && !IsReadTemplate(last.type)) {
        siblings.pop_back();
        return true;
    }
    return ++*kept <= kMaxKeptObjects;
}

ParseStatus ParseXFile(const uint8_t* data, size_t size, Tree& out) {
    out.objects.clear();
    if (data == nullptr || size < kHeaderSize || !HeaderFieldIs(data, "xof ")) {
        return ParseStatus::BadHeader;
    }
    if (!IsKnownVersion(data + 4)) return ParseStatus::Unsupported;
    int floatBytes = 0;
    if (HeaderFieldIs(data + 12, "0032")) {
        floatBytes = 4;
    } else if (HeaderFieldIs(data + 12, "0064")) {
        floatBytes = 8;
    } else {
        return ParseStatus::Unsupported;
    }
    const uint8_t* body = data + kHeaderSize;
    const size_t bodySize = size - kHeaderSize;
    if (HeaderFieldIs(data + 8, "txt ")) return ParseTextBody(body, bodySize, out);
    if (HeaderFieldIs(data + 8, "bin ")) return ParseBinaryBody(body, bodySize, floatBytes, out);
    return ParseStatus::Unsupported;
}

}  // namespace kl::d3dx9::xfile
