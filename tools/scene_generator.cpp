// Builds the default scene: list files, light files, .x meshes (text and
// binary) and their textures (BMP and TGA), all from code, so the committed
// scene/ folder can be made again with
//
//   scene_generator <output folder>
//
// The scene is a room (x -60..60, y -40..40, z -20..300) seen from the camera's
// start pose at (0, 0, -100) looking along +z: a tiled floor and ceiling, brick walls,
// crates, a metal sphere, an upright torus and a cut-out fence, lit by one sun,
// eight coloured point lights and two pulsing lights.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr float kPi = 3.14159265358979f;

// ---------------------------------------------------------------- images

struct Colour {
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}

struct Image {
    int width;
    int height;
    std::vector<Colour> texels;

    Image(int w, int h, const std::function<Colour(float u, float v)>& shade)
        : width(w), height(h), texels(static_cast<size_t>(w) * h) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                texels[static_cast<size_t>(y) * w + x] =
                    shade((x + 0.5f) / static_cast<float>(w), (y + 0.5f) / static_cast<float>(h));
            }
        }
    }
};

uint8_t Byte(float value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "scene_generator: cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
}

// Texel rows bottom-up, blue-green-red, as both BMP and uncompressed TGA store them.
std::string BottomUpBgrRows(const Image& image, int rowAlignment) {
    std::string rows;
    for (int y = image.height - 1; y >= 0; --y) {
        size_t start = rows.size();
        for (int x = 0; x < image.width; ++x) {
            const Colour& c = image.texels[static_cast<size_t>(y) * image.width + x];
            rows.push_back(static_cast<char>(Byte(c.b)));
            rows.push_back(static_cast<char>(Byte(c.g)));
            rows.push_back(static_cast<char>(Byte(c.r)));
        }
        while ((rows.size() - start) % rowAlignment != 0) rows.push_back('\0');
    }
    return rows;
}

void WriteBmp(const fs::path& path, const Image& image) {
    const std::string rows = BottomUpBgrRows(image, 4);
    std::string out = "BM";
    PutLittleEndian(out, static_cast<uint32_t>(54 + rows.size()), 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 54, 4);  // pixel data offset
    PutLittleEndian(out, 40, 4);  // BITMAPINFOHEADER
    PutLittleEndian(out, static_cast<uint32_t>(image.width), 4);
    PutLittleEndian(out, static_cast<uint32_t>(image.height), 4);
    PutLittleEndian(out, 1, 2);   // planes
    PutLittleEndian(out, 24, 2);  // bits per pixel
    PutLittleEndian(out, 0, 4);   // no compression
    PutLittleEndian(out, static_cast<uint32_t>(rows.size()), 4);
    PutLittleEndian(out, 2835, 4);  // 72 dpi
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 0, 4);
    WriteBytes(path, out + rows);
}

void WriteTga(const fs::path& path, const Image& image) {
    std::string out;
    out.push_back(0);  // no image id
    out.push_back(0);  // no colour map
    out.push_back(2);  // uncompressed true colour
    out.append(5, '\0');
    PutLittleEndian(out, 0, 2);  // x origin
    PutLittleEndian(out, 0, 2);  // y origin
    PutLittleEndian(out, static_cast<uint32_t>(image.width), 2);
    PutLittleEndian(out, static_cast<uint32_t>(image.height), 2);
    out.push_back(24);
    out.push_back(0);  // bottom-up rows
    WriteBytes(path, out + BottomUpBgrRows(image, 1));
}

// Smooth value noise in [0, 1], repeating every `period` cells so textures tile.
float Hash(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float Noise(float u, float v, int period) {
    const float x = u * period;
    const float y = v * period;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0;
    const float fy = y - y0;
    auto at = [period](int i, int j) {
        return Hash(((i % period) + period) % period, ((j % period) + period) % period);
    };
    const float sx = fx * fx * (3 - 2 * fx);
    const float sy = fy * fy * (3 - 2 * fy);
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

// A tangent-space normal map from a height field (0 low, 1 high), encoded as
// colour = normal * 0.5 + 0.5 with +z out of the surface.
Image NormalMap(int size, float strength, const std::function<float(float, float)>& height) {
    const float step = 1.0f / static_cast<float>(size);
    return Image(size, size, [&](float u, float v) {
        auto wrap = [](float t) { return t - std::floor(t); };
        const float dx = height(wrap(u + step), v) - height(wrap(u - step), v);
        const float dy = height(u, wrap(v + step)) - height(u, wrap(v - step));
        float nx = -dx * strength;
        float ny = -dy * strength;
        float nz = 1.0f;
        const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
        nx /= length;
        ny /= length;
        nz /= length;
        return Colour{nx * 0.5f + 0.5f, ny * 0.5f + 0.5f, nz * 0.5f + 0.5f};
    });
}

// A specular map: red is the intensity, green the gloss.
Image SpecularMap(int size, const std::function<Colour(float, float)>& intensityGloss) {
    return Image(size, size, intensityGloss);
}

// Distance from (u, v) in [0, 1) to the nearest grid line of `cells` cells.
float GridDistance(float u, float v, int cells) {
    const float fu = u * cells - std::floor(u * cells);
    const float fv = v * cells - std::floor(v * cells);
    return std::min(std::min(fu, 1.0f - fu), std::min(fv, 1.0f - fv)) / cells;
}

// Brick courses: mortar height field 0, bricks 1; every other course shifted.
float BrickHeight(float u, float v) {
    constexpr int kCourses = 4;
    constexpr int kBricksPerCourse = 2;
    const int course = static_cast<int>(v * kCourses);
    const float shifted = u + (course % 2 == 0 ? 0.0f : 0.5f / kBricksPerCourse);
    const float bu = shifted * kBricksPerCourse - std::floor(shifted * kBricksPerCourse);
    const float bv = v * kCourses - std::floor(v * kCourses);
    const float edge = std::min(std::min(bu, 1 - bu) * 2.0f, std::min(bv, 1 - bv));
    return std::clamp((edge - 0.04f) * 25.0f, 0.0f, 1.0f);
}

void WriteTextures(const fs::path& folder) {
    const fs::path textures = folder / "textures";

    // Stands in for every missing map: white keeps a material fully covered
    // (alpha) and flat (a bump map without spread).
    WriteBmp(textures / "none.bmp", Image(64, 64, [](float, float) { return Colour{1, 1, 1}; }));

    // Floor: polished stone tiles with dark grout.
    auto tileHeight = [](float u, float v) {
        return std::clamp((GridDistance(u, v, 4) - 0.006f) * 120.0f, 0.0f, 1.0f);
    };
    WriteBmp(
        textures / "floor.bmp", Image(128, 128, [&](float u, float v) {
            const Colour stone = Mix({0.55f, 0.5f, 0.45f}, {0.75f, 0.72f, 0.66f}, Noise(u, v, 16));
            return Mix({0.12f, 0.11f, 0.1f}, stone, tileHeight(u, v));
        }));
    WriteBmp(textures / "floor_b.bmp", NormalMap(128, 6.0f, tileHeight));
    WriteBmp(textures / "floor_s.bmp", SpecularMap(128, [&](float u, float v) {
                 const float tile = tileHeight(u, v);
                 return Colour{0.1f + 0.6f * tile, 0.2f + 0.6f * tile, 0.0f};
             }));

    // Walls: red brick with pale mortar.
    WriteBmp(textures / "wall.bmp", Image(128, 128, [](float u, float v) {
                 const Colour brick = Mix({0.5f, 0.18f, 0.12f}, {0.72f, 0.32f, 0.2f},
                                          Noise(u, v, 8) * 0.7f + Noise(u, v, 32) * 0.3f);
                 return Mix({0.75f, 0.72f, 0.66f}, brick, BrickHeight(u, v));
             }));
    WriteBmp(textures / "wall_b.bmp", NormalMap(128, 4.0f, [](float u, float v) {
                 return BrickHeight(u, v) * (0.85f + 0.15f * Noise(u, v, 32));
             }));
    WriteBmp(textures / "wall_s.bmp", SpecularMap(64, [](float u, float v) {
                 return Colour{0.15f * BrickHeight(u, v), 0.15f, 0.0f};
             }));

    // Crates: planks inside a raised frame.
    auto crateHeight = [](float u, float v) {
        const float border = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        if (border < 0.1f) return 1.0f;
        const float plank = v * 5 - std::floor(v * 5);
        return std::min(plank, 1 - plank) < 0.06f ? 0.2f : 0.6f;
    };
    WriteBmp(textures / "crate.bmp", Image(128, 128, [&](float u, float v) {
                 const float grain = Noise(u * 0.5f, v * 4.0f, 16);
                 const Colour wood = Mix({0.45f, 0.28f, 0.12f}, {0.68f, 0.46f, 0.24f}, grain);
                 return Scale(wood, 0.6f + 0.4f * crateHeight(u, v));
             }));
    WriteBmp(textures / "crate_b.bmp", NormalMap(128, 3.0f, crateHeight));
    WriteBmp(textures / "crate_s.bmp", SpecularMap(64, [&](float u, float v) {
                 return Colour{0.2f + 0.2f * crateHeight(u, v), 0.3f, 0.0f};
             }));

    // Sphere: brushed blue metal, very glossy; no bump map (none.bmp keeps it smooth).
    WriteBmp(textures / "metal.bmp", Image(64, 64, [](float u, float v) {
                 return Mix({0.3f, 0.38f, 0.5f}, {0.55f, 0.62f, 0.75f}, Noise(u * 8, v, 8));
             }));
    WriteBmp(textures / "metal_s.bmp", SpecularMap(64, [](float u, float v) {
                 return Colour{0.9f, 0.85f + 0.1f * Noise(u, v, 8), 0.0f};
             }));

    // Torus: gold with engraved rings, stored as TGA.
    auto ringHeight = [](float u, float) {
        const float band = u * 12 - std::floor(u * 12);
        return std::min(band, 1 - band) < 0.15f ? 0.0f : 1.0f;
    };
    WriteTga(textures / "ring.tga", Image(64, 64, [&](float u, float v) {
                 return Scale(Colour{0.85f, 0.65f, 0.2f}, 0.7f + 0.3f * ringHeight(u, v));
             }));
    WriteTga(textures / "ring_b.tga", NormalMap(64, 2.0f, ringHeight));
    WriteTga(textures / "ring_s.tga", SpecularMap(64, [](float, float) {
                 return Colour{0.8f, 0.7f, 0.0f};
             }));

    // Fence: green painted lattice; the alpha map cuts out the gaps. The gaps are
    // wide and the bars thin: the alpha test keeps any coverage above zero, so
    // the smaller mip levels, which blur bars into gaps, narrow the gaps.
    auto latticeBar = [](float u, float v) {
        const float diagonalA = (u + v) * 2 - std::floor((u + v) * 2);
        const float diagonalB = (u - v + 1) * 2 - std::floor((u - v + 1) * 2);
        const float frame = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        return frame < 0.04f || std::min(diagonalA, 1 - diagonalA) < 0.05f ||
               std::min(diagonalB, 1 - diagonalB) < 0.05f;
    };
    WriteBmp(textures / "fence.bmp", Image(128, 128, [](float u, float v) {
                 return Mix({0.15f, 0.4f, 0.18f}, {0.25f, 0.55f, 0.25f}, Noise(u, v * 8, 8));
             }));
    WriteBmp(textures / "fence_a.bmp", Image(128, 128, [&](float u, float v) {
                 const float cover = latticeBar(u, v) ? 1.0f : 0.0f;
                 return Colour{cover, cover, cover};
             }));
    WriteBmp(textures / "fence_s.bmp", SpecularMap(64, [](float, float) {
                 return Colour{0.3f, 0.4f, 0.0f};
             }));
}

// ---------------------------------------------------------------- meshes

struct Vec3 {
    float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

struct MeshData {
    std::vector<Vec3> positions;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<uint32_t> faceMaterials;
    std::vector<std::string> materialTextures;  // one stored texture name per material

    uint32_t AddVertex(Vec3 p, float u, float v) {
        positions.push_back(p);
        uvs.push_back({u, v});
        return static_cast<uint32_t>(positions.size() - 1);
    }

    // Direct3D draws clockwise triangles as front faces: each triangle is
    // ordered so that cross(b - a, c - a) points along `outward`.
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c, Vec3 outward, uint32_t material) {
        const Vec3 normal = Cross(positions[b] - positions[a], positions[c] - positions[a]);
        if (Dot(normal, normal) < 1e-10f) return;  // degenerate (a pole of the sphere)
        if (Dot(normal, outward) < 0) std::swap(b, c);
        faces.push_back({a, b, c});
        faceMaterials.push_back(material);
    }

    // A rectangle around `centre` spanning ±right and ±up as seen from its
    // front, whose normal is cross(up, right). Texture coordinates repeat
    // `tilesU` by `tilesV` times.
    void AddQuad(Vec3 centre, Vec3 right, Vec3 up, float tilesU, float tilesV, uint32_t material) {
        const Vec3 outward = Cross(up, right);
        const uint32_t a = AddVertex(centre - right - up, 0, tilesV);
        const uint32_t b = AddVertex(centre - right + up, 0, 0);
        const uint32_t c = AddVertex(centre + right + up, tilesU, 0);
        const uint32_t d = AddVertex(centre + right - up, tilesU, tilesV);
        AddTriangle(a, b, c, outward, material);
        AddTriangle(a, c, d, outward, material);
    }

    // An axis-aligned box, each face with its own vertices so its normals stay flat.
    void AddBox(Vec3 centre, Vec3 half, uint32_t material) {
        const Vec3 x{half.x, 0, 0}, y{0, half.y, 0}, z{0, 0, half.z};
        AddQuad(centre + y, x, z, 1, 1, material);       // top
        AddQuad(centre - y, x, z * -1, 1, 1, material);  // bottom
        AddQuad(centre - z, x, y, 1, 1, material);       // front
        AddQuad(centre + z, x * -1, y, 1, 1, material);  // back
        AddQuad(centre - x, z * -1, y, 1, 1, material);  // left
        AddQuad(centre + x, z, y, 1, 1, material);       // right
    }

    // A surface of revolution sampled on a (columns + 1) x (rows + 1) grid;
    // the seam vertices are doubled so texture coordinates run 0 to 1.
    void AddGrid(int columns, int rows, const std::function<Vec3(float, float)>& point,
                 const std::function<Vec3(float, float)>& outward, float tilesU, float tilesV,
                 uint32_t material) {
        const uint32_t first = static_cast<uint32_t>(positions.size());
        for (int r = 0; r <= rows; ++r) {
            for (int c = 0; c <= columns; ++c) {
                const float s = static_cast<float>(c) / columns;
                const float t = static_cast<float>(r) / rows;
                AddVertex(point(s, t), s * tilesU, t * tilesV);
            }
        }
        auto at = [&](int c, int r) {
            return first + static_cast<uint32_t>(r * (columns + 1) + c);
        };
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const float s = (c + 0.5f) / columns;
                const float t = (r + 0.5f) / rows;
                const Vec3 out = outward(s, t);
                AddTriangle(at(c, r), at(c + 1, r), at(c + 1, r + 1), out, material);
                AddTriangle(at(c, r), at(c + 1, r + 1), at(c, r + 1), out, material);
            }
        }
    }
};

MeshData Room() {
    MeshData room;
    room.materialTextures = {"art/floor.bmp", "art/wall.bmp"};
    const float kLeft = -60, kRight = 60, kBottom = -40, kTop = 40, kNear = -20, kFar = 300;
    const float midZ = (kNear + kFar) / 2, halfZ = (kFar - kNear) / 2, midY = (kBottom + kTop) / 2;
    const float halfX = (kRight - kLeft) / 2, halfY = (kTop - kBottom) / 2;
    // Floor, facing up; about 30 units per repeat of the tile texture.
    room.AddQuad({0, kBottom, midZ}, {halfX, 0, 0}, {0, 0, halfZ}, 4, 10, 0);
    // Ceiling of the same stone, facing down.
    room.AddQuad({0, kTop, midZ}, {halfX, 0, 0}, {0, 0, -halfZ}, 4, 10, 0);
    // Back wall facing the camera, side walls facing the middle.
    room.AddQuad({0, midY, kFar}, {halfX, 0, 0}, {0, halfY, 0}, 3, 2, 1);
    room.AddQuad({kLeft, midY, midZ}, {0, 0, halfZ}, {0, halfY, 0}, 8, 2, 1);
    room.AddQuad({kRight, midY, midZ}, {0, 0, -halfZ}, {0, halfY, 0}, 8, 2, 1);
    return room;
}

MeshData Crates() {
    MeshData crates;
    crates.materialTextures = {"crate.bmp"};
    crates.AddBox({-38, -28, 120}, {12, 12, 12}, 0);
    crates.AddBox({-36, -6, 124}, {10, 10, 10}, 0);
    crates.AddBox({36, -30, 200}, {10, 10, 10}, 0);
    return crates;
}

MeshData Sphere() {
    MeshData sphere;
    sphere.materialTextures = {"metal.bmp"};
    const Vec3 centre{12, -24, 140};
    const float radius = 16;
    auto direction = [](float s, float t) {
        const float phi = s * 2 * kPi, theta = t * kPi;
        return Vec3{std::sin(theta) * std::cos(phi), std::cos(theta),
                    std::sin(theta) * std::sin(phi)};
    };
    sphere.AddGrid(
        24, 12, [&](float s, float t) { return centre + direction(s, t) * radius; }, direction, 2,
        1, 0);
    return sphere;
}

MeshData Torus() {
    MeshData torus;
    torus.materialTextures = {"C:\\art\\gold\\ring.tga"};
    const Vec3 centre{30, 5, 250};
    const float major = 18, minor = 5;
    // Upright, its hole facing the camera.
    auto ringPoint = [&](float s) {
        const float u = s * 2 * kPi;
        return Vec3{std::cos(u), std::sin(u), 0};
    };
    auto tube = [&](float s, float t) {
        const float v = t * 2 * kPi;
        return ringPoint(s) * std::cos(v) + Vec3{0, 0, std::sin(v)};
    };
    torus.AddGrid(
        32, 12,
        [&](float s, float t) { return centre + ringPoint(s) * major + tube(s, t) * minor; }, tube,
        1, 1, 0);
    return torus;
}

MeshData Fence() {
    MeshData fence;
    fence.materialTextures = {"fence.bmp"};
    // Two faces back to back, so the lattice shows from both sides.
    const Vec3 centre{-25, -27, 70};
    fence.AddQuad(centre, {30, 0, 0}, {0, 13, 0}, 2, 1, 0);
    fence.AddQuad(centre + Vec3{0, 0, 0.2f}, {-30, 0, 0}, {0, 13, 0}, 2, 1, 0);
    return fence;
}

// ------------------------------------------------------ .x file writing

std::string Float(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.6f", static_cast<double>(value));
    return text;
}

template <typename T, typename Format>
std::string TextList(const std::vector<T>& items, Format format) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += "  " + format(items[i]) + (i + 1 == items.size() ? ";\n" : ",\n");
    }
    return text;
}

// Texture names go into a text .x file as they are, so the text meshes name
// theirs with forward slashes; the binary torus stores a Windows path.
std::string TextX(const MeshData& mesh, const std::string& name) {
    std::string x = "xof 0303txt 0032\n\n";
    x += "// Made by tools/scene_generator.cpp.\n";
    x += "Frame " + name + "Frame {\n FrameTransformMatrix {\n";
    x += "  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n }\n";
    x += " Mesh " + name + " {\n  " + std::to_string(mesh.positions.size()) + ";\n";
    x += TextList(mesh.positions,
                  [](Vec3 p) { return Float(p.x) + ";" + Float(p.y) + ";" + Float(p.z) + ";"; });
    x += "  " + std::to_string(mesh.faces.size()) + ";\n";
    x += TextList(mesh.faces, [](const std::array<uint32_t, 3>& f) {
        return "3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," +
               std::to_string(f[2]) + ";";
    });
    x += "  MeshTextureCoords {\n  " + std::to_string(mesh.uvs.size()) + ";\n";
    x += TextList(mesh.uvs, [](const std::array<float, 2>& uv) {
        return Float(uv[0]) + ";" + Float(uv[1]) + ";";
    });
    x += "  }\n  MeshMaterialList {\n  " + std::to_string(mesh.materialTextures.size()) + ";\n  " +
         std::to_string(mesh.faceMaterials.size()) + ";\n";
    x += TextList(mesh.faceMaterials, [](uint32_t m) { return std::to_string(m); });
    for (const std::string& texture : mesh.materialTextures) {
        x += "   Material {\n    1.000000;1.000000;1.000000;1.000000;;\n    16.000000;\n";
        x += "    0.500000;0.500000;0.500000;;\n    0.000000;0.000000;0.000000;;\n";
        x += "    TextureFilename {\n     \"" + texture + "\";\n    }\n   }\n";
    }
    x += "  }\n }\n}\n";
    return x;
}

// Binary .x: 16-bit token ids followed by their data, little-endian.
class BinaryX {
public:
    BinaryX() : bytes_("xof 0303bin 0032") {}

    void Name(const std::string& name) {
        Token(kName);
        PutLittleEndian(bytes_, static_cast<uint32_t>(name.size()), 4);
        bytes_ += name;
    }
    void Open() { Token(kOpenBrace); }
    void Close() { Token(kCloseBrace); }
    void Integers(const std::vector<uint32_t>& values) {
        Token(kIntegerList);
        PutLittleEndian(bytes_, static_cast<uint32_t>(values.size()), 4);
        for (uint32_t v : values) PutLittleEndian(bytes_, v, 4);
    }
    void Floats(const std::vector<float>& values) {
        Token(kFloatList);
        PutLittleEndian(bytes_, static_cast<uint32_t>(values.size()), 4);
        for (float v : values) {
            uint32_t bits;
            std::memcpy(&bits, &v, sizeof(bits));
            PutLittleEndian(bytes_, bits, 4);
        }
    }
    void String(const std::string& text) {
        Token(kString);
        PutLittleEndian(bytes_, static_cast<uint32_t>(text.size()), 4);
        bytes_ += text;
        Token(kSemicolon);
    }
    const std::string& Bytes() const { return bytes_; }

private:
    static constexpr uint16_t kName = 1, kString = 2, kIntegerList = 6, kFloatList = 7,
                              kOpenBrace = 10, kCloseBrace = 11, kSemicolon = 20;
    void Token(uint16_t id) { PutLittleEndian(bytes_, id, 2); }
    std::string bytes_;
};

std::string BinaryXFile(const MeshData& mesh, const std::string& name) {
    BinaryX x;
    x.Name("Mesh");
    x.Name(name);
    x.Open();
    x.Integers({static_cast<uint32_t>(mesh.positions.size())});
    std::vector<float> positions;
    for (const Vec3& p : mesh.positions) positions.insert(positions.end(), {p.x, p.y, p.z});
    x.Floats(positions);
    std::vector<uint32_t> faces{static_cast<uint32_t>(mesh.faces.size())};
    for (const auto& f : mesh.faces) faces.insert(faces.end(), {3, f[0], f[1], f[2]});
    x.Integers(faces);

    x.Name("MeshTextureCoords");
    x.Open();
    x.Integers({static_cast<uint32_t>(mesh.uvs.size())});
    std::vector<float> uvs;
    for (const auto& uv : mesh.uvs) uvs.insert(uvs.end(), {uv[0], uv[1]});
    x.Floats(uvs);
    x.Close();

    x.Name("MeshMaterialList");
    x.Open();
    std::vector<uint32_t> list{static_cast<uint32_t>(mesh.materialTextures.size()),
                               static_cast<uint32_t>(mesh.faceMaterials.size())};
    list.insert(list.end(), mesh.faceMaterials.begin(), mesh.faceMaterials.end());
    x.Integers(list);
    for (const std::string& texture : mesh.materialTextures) {
        x.Name("Material");
        x.Open();
        x.Floats({1, 1, 1, 1, 16, 0.5f, 0.5f, 0.5f, 0, 0, 0});
        x.Name("TextureFilename");
        x.Open();
        x.String(texture);
        x.Close();
        x.Close();
    }
    x.Close();
    x.Close();
    return x.Bytes();
}

// ---------------------------------------------------------------- lights

struct Light {
    std::string file;
    std::string description;
    Colour colour;
    Vec3 position;
    Vec3 direction;
    float radius;
    int kind;  // 1 sun, 2 point, 21 pulsing point
};

std::string LightFile(const Light& light) {
    std::string text = "! " + light.description + "\n";
    text += "! colour r, g, b\n" + Float(light.colour.r) + "\n" + Float(light.colour.g) + "\n" +
            Float(light.colour.b) + "\n";
    text += "! position x, z, y (note the order)\n" + Float(light.position.x) + "\n" +
            Float(light.position.z) + "\n" + Float(light.position.y) + "\n";
    text += "! direction x, y, z\n" + Float(light.direction.x) + "\n" + Float(light.direction.y) +
            "\n" + Float(light.direction.z) + "\n";
    text += "! radius\n" + Float(light.radius) + "\n";
    text += "! kind: 1 sun, 2 point, 21 pulsing point\n" + std::to_string(light.kind) + "\n";
    return text;
}

std::vector<Light> Lights() {
    const Vec3 none{0, 0, 0};
    return {
        // Point lights fade as (1 - distance / radius) squared, so their radii
        // reach well past the surfaces they light. The sun sits at the origin:
        // its direction in view space is the difference of the transformed
        // direction and position.
        {"sun.txt",
         "The sun: a soft warm light from above and behind the camera.",
         {0.55f, 0.52f, 0.47f},
         {0, 0, 0},
         {-0.3f, -1.0f, 0.45f},
         1000,
         1},
        {"red.txt",
         "Red point light by the fence.",
         {1.0f, 0.2f, 0.15f},
         {-45, -20, 60},
         none,
         120,
         2},
        {"green.txt",
         "Green point light, front right.",
         {0.2f, 1.0f, 0.3f},
         {40, -25, 80},
         none,
         120,
         2},
        {"blue.txt",
         "Blue point light above the crates.",
         {0.3f, 0.45f, 1.0f},
         {-40, 10, 170},
         none,
         130,
         2},
        {"yellow.txt",
         "Yellow point light, right wall.",
         {1.0f, 0.9f, 0.3f},
         {45, 15, 150},
         none,
         130,
         2},
        {"cyan.txt",
         "Cyan point light, back left.",
         {0.2f, 1.0f, 1.0f},
         {-30, -30, 260},
         none,
         120,
         2},
        {"magenta.txt",
         "Magenta point light, back right.",
         {1.0f, 0.3f, 1.0f},
         {30, -30, 270},
         none,
         120,
         2},
        {"orange.txt",
         "Orange point light high in the middle.",
         {1.0f, 0.55f, 0.1f},
         {0, 30, 110},
         none,
         140,
         2},
        {"white.txt",
         "Pale point light in the middle of the room.",
         {0.9f, 0.9f, 1.0f},
         {0, 0, 220},
         none,
         140,
         2},
        {"pulse_amber.txt",
         "Pulsing amber light over the sphere.",
         {1.0f, 0.45f, 0.1f},
         {12, 2, 125},
         none,
         25,
         21},
        {"pulse_blue.txt",
         "Pulsing blue light inside the ring.",
         {0.3f, 0.6f, 1.0f},
         {30, 5, 238},
         none,
         25,
         21},
    };
}

// ------------------------------------------------------------ the lists

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void WriteScene(const fs::path& folder) {
    WriteTextures(folder);

    WriteBytes(folder / "meshes" / "room.x", TextX(Room(), "Room"));
    WriteBytes(folder / "meshes" / "crates.x", BinaryXFile(Crates(), "Crates"));
    WriteBytes(folder / "meshes" / "sphere.x", TextX(Sphere(), "Sphere"));
    WriteBytes(folder / "meshes" / "torus.x", BinaryXFile(Torus(), "Torus"));
    WriteBytes(folder / "meshes" / "fence.x", TextX(Fence(), "Fence"));

    std::string lightList =
        "! Kestralune default scene: the lights.\n"
        "! One light file per line, relative to the working folder.\n"
        "! A line starting with \"!\" is a comment; empty lines are skipped.\n\n";
    for (const Light& light : Lights()) {
        WriteBytes(folder / "lights" / light.file, LightFile(light));
        if (light.kind == 1) lightList += "! The sun.\n";
        if (light.file == "red.txt") lightList += "\n! Eight coloured point lights.\n";
        if (light.kind == 21 && light.file == "pulse_amber.txt") {
            lightList += "\n! Two lights whose radius pulses.\n";
        }
        lightList += "lights\\" + light.file + "\n";
    }
    // Written with Windows line breaks, as a Windows editor would save it.
    WriteBytes(folder / "test.lights", WithCrLf(lightList));

    WriteBytes(folder / "test.meshs",
               "! Kestralune default scene: the meshes, drawn in this order.\n"
               "! One .x file per line; textures are found under textures\\.\n"
               "! Nearest first: the classic mode adds each light's draw, so a\n"
               "! surface drawn before something in front of it would show through.\n\n"
               "! Objects: fence and sphere (text .x), crates and torus (binary .x).\n"
               "meshes\\fence.x\n"
               "meshes\\crates.x\n"
               "meshes\\sphere.x\n"
               "meshes\\torus.x\n\n"
               "! The room: floor, walls and ceiling (text .x).\n"
               "meshes\\room.x\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_generator <output folder>\n");
        return 2;
    }
    WriteScene(argv[1]);
    return 0;
}
