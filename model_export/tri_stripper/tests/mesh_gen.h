// Test meshes: regular and holed grids, random soups over few vertices (many
// shared, non-manifold and duplicate edges), with optional shuffling.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace mesh_gen {

using index_list = std::vector<std::uint32_t>;

// w x h quads, two consistently wound triangles each; with `rng`, flips the
// diagonal of each quad at random when given, `keep` drops quads.
inline index_list grid(std::uint32_t w, std::uint32_t h, std::mt19937* rng = nullptr, double keep = 1.0)
{
    index_list out;
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
            if (rng && u(*rng) >= keep)
                continue;
            const std::uint32_t a = y * (w + 1) + x, b = a + 1, c = a + w + 1, d = c + 1;
            if (rng && u(*rng) < 0.5)
                out.insert(out.end(), {a, b, d, a, d, c});
            else
                out.insert(out.end(), {a, b, c, b, d, c});
        }
    }
    return out;
}

// `tris` random non-degenerate triangles over `verts` vertices.
inline index_list soup(std::mt19937& rng, std::uint32_t verts, std::size_t tris)
{
    std::uniform_int_distribution<std::uint32_t> v(0, verts - 1);
    index_list out;
    while (out.size() < 3 * tris) {
        const std::uint32_t a = v(rng), b = v(rng), c = v(rng);
        if (a == b || b == c || a == c)
            continue;
        out.insert(out.end(), {a, b, c});
    }
    return out;
}

// Shuffles triangle order and rotates each triangle's corners (winding kept).
inline void shuffle_triangles(index_list& idx, std::mt19937& rng)
{
    const std::size_t n = idx.size() / 3;
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), rng);
    std::uniform_int_distribution<int> rot(0, 2);
    index_list out;
    out.reserve(idx.size());
    for (std::size_t t : order) {
        const int r = rot(rng);
        for (int k = 0; k < 3; ++k)
            out.push_back(idx[3 * t + (k + r) % 3]);
    }
    idx.swap(out);
}

// Maps vertex numbers onto scattered 32-bit values, the largest included.
inline void relabel_wide(index_list& idx)
{
    for (auto& v : idx)
        v = 0xFFFFFFFFu - v * 16777619u; // odd multiplier: one-to-one modulo 2^32
}

} // namespace mesh_gen
