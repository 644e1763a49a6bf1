#include "d3dx9/mesh/adjacency.h"

#include <cstring>
#include <unordered_map>

namespace kl::d3dx9::mesh {
namespace {

struct PositionKey {
    uint32_t bits[3];
    bool operator==(const PositionKey& o) const {
        return std::memcmp(bits, o.bits, sizeof bits) == 0;
    }
};

struct PositionHash {
    size_t operator()(const PositionKey& k) const {
        return (size_t{k.bits[0]} * 73856093u) ^ (size_t{k.bits[1]} * 19349663u) ^
               (size_t{k.bits[2]} * 83492791u);
    }
};

// For each vertex, the first vertex with bit-identical position.
std::vector<uint32_t> PointRepresentatives(const Geometry& g) {
    std::unordered_map<PositionKey, uint32_t, PositionHash> first;
    std::vector<uint32_t> reps(g.vertices.size());
    for (uint32_t i = 0; i < g.vertices.size(); ++i) {
        PositionKey key;
        std::memcpy(key.bits, g.vertices[i].position, sizeof key.bits);
        reps[i] = first.emplace(key, i).first->second;
    }
    return reps;
}

uint64_t EdgeKey(uint32_t from, uint32_t to) {
    return (uint64_t{from} << 32) | to;
}

}  // namespace

std::vector<uint32_t> FaceAdjacency(const Geometry& g) {
    const std::vector<uint32_t> reps = PointRepresentatives(g);
    const size_t faces = g.FaceCount();
    std::unordered_multimap<uint64_t, uint32_t> edgeOwner;  // directed edge -> face
    for (uint32_t f = 0; f < faces; ++f) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = reps[g.indices[f * 3 + k]];
            const uint32_t b = reps[g.indices[f * 3 + (k + 1) % 3]];
            edgeOwner.emplace(EdgeKey(a, b), f);
        }
    }
    std::vector<uint32_t> adjacency(faces * 3, kNoNeighbour);
    for (uint32_t f = 0; f < faces; ++f) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = reps[g.indices[f * 3 + k]];
            const uint32_t b = reps[g.indices[f * 3 + (k + 1) % 3]];
            // A neighbour with the same winding walks the shared edge the other way.
            const auto range = edgeOwner.equal_range(EdgeKey(b, a));
            for (auto it = range.first; it != range.second; ++it) {
                if (it->second != f) {
                    adjacency[f * 3 + k] = it->second;
                    break;
                }
            }
        }
    }
    return adjacency;
}

}  // namespace kl::d3dx9::mesh
