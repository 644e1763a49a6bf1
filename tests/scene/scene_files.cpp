#include "scene_files.h"

#include <fstream>
#include <random>

namespace kl::scene_test {

void SceneFolderTest::SetUp() {
    previous_ = std::filesystem::current_path();
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("kl_scene_test_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
}

void SceneFolderTest::TearDown() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

namespace {

void PutLittleEndian(std::string& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string SolidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const unsigned pixelBytes = static_cast<unsigned>(rowBytes * height);
    std::string out = "BM";
    PutLittleEndian(out, 54 + pixelBytes, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 54, 4);
    PutLittleEndian(out, 40, 4);
    PutLittleEndian(out, static_cast<unsigned>(width), 4);
    PutLittleEndian(out, static_cast<unsigned>(height), 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 24, 2);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, pixelBytes, 4);
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(static_cast<char>(b));
            out.push_back(static_cast<char>(g));
            out.push_back(static_cast<char>(r));
        }
        out.append(static_cast<size_t>(rowBytes - width * 3), '\0');
    }
    return out;
}

std::string QuadsXFile(const std::vector<std::string>& textureNames) {
    const size_t quads = textureNames.size();
    std::string x = "xof 0303txt 0032\nMesh quads {\n";
    x += std::to_string(quads * 4) + ";\n";
    for (size_t q = 0; q < quads; ++q) {
        const std::string z = std::to_string(q) + ".0";
        x += "0.0;0.0;" + z + ";,\n0.0;1.0;" + z + ";,\n1.0;1.0;" + z + ";,\n1.0;0.0;" + z + ";";
        x += q + 1 == quads ? ";\n" : ",\n";
    }
    x += std::to_string(quads * 2) + ";\n";
    for (size_t q = 0; q < quads; ++q) {
        const size_t v = q * 4;
        x += "3;" + std::to_string(v) + "," + std::to_string(v + 1) + "," + std::to_string(v + 2) +
             ";,\n";
        x += "3;" + std::to_string(v) + "," + std::to_string(v + 2) + "," + std::to_string(v + 3) +
             ";";
        x += q + 1 == quads ? ";\n" : ",\n";
    }
    x += "MeshTextureCoords {\n" + std::to_string(quads * 4) + ";\n";
    for (size_t q = 0; q < quads; ++q) {
        x += "0.0;1.0;,\n0.0;0.0;,\n1.0;0.0;,\n1.0;1.0;";
        x += q + 1 == quads ? ";\n" : ",\n";
    }
    x += "}\nMeshMaterialList {\n" + std::to_string(quads) + ";\n" + std::to_string(quads * 2) +
         ";\n";
    for (size_t f = 0; f < quads * 2; ++f) {
        x += std::to_string(f / 2);
        x += f + 1 == quads * 2 ? ";\n" : ",\n";
    }
    for (const std::string& name : textureNames) {
        x += "Material {\n1.0;1.0;1.0;1.0;;\n8.0;\n0.5;0.5;0.5;;\n0.0;0.0;0.0;;\n";
        if (!name.empty()) x += "TextureFilename {\n\"" + name + "\";\n}\n";
        x += "}\n";
    }
    x += "}\n}\n";
    return x;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace kl::scene_test
