// stb_image_write, used by the tests to produce PNG and JPEG files. Its JPEG
// encoder shifts negative values left, which the sanitizer build would stop
// on; CMakeLists.txt compiles this file without that one check.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include "stb_write.h"

namespace kl::test {
namespace {

void AppendTo(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

}  // namespace

bool WritePng(std::string& out, int width, int height, int channels, const void* pixels) {
    return stbi_write_png_to_func(AppendTo, &out, width, height, channels, pixels,
                                  width * channels) != 0;
}

bool WriteJpg(std::string& out, int width, int height, int channels, const void* pixels) {
    return stbi_write_jpg_to_func(AppendTo, &out, width, height, channels, pixels, 95) != 0;
}
}  // namespace kl::test
