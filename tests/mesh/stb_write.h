// PNG and JPEG files written in memory by stb_image_write, for decoder tests.
#pragma once

#include <string>

namespace kl::test {

// Append a whole file to `out`; false when stb refuses.
bool WritePng(std::string& out, int width, int height, int channels, const void* pixels);
bool WriteJpg(std::string& out, int width, int height, int channels, const void* pixels);

}  // namespace kl::test
