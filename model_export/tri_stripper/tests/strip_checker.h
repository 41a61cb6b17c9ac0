// Independent reader of stripper output: decodes strips and lists back into
// oriented triangles and compares them with the input, without any code of
// the stripper itself.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace strip_check {

using tri = std::array<std::uint32_t, 3>;

struct group {
    bool strip = false;
    std::vector<std::uint32_t> indices;
};

// Rotation of t that starts at its smallest vertex; keeps the winding.
tri canonical(tri t);

// Triangles of a strip: even positions as sent, odd positions with the first
// two vertices swapped so every triangle keeps its own winding.
std::vector<tri> decode_strip(const std::vector<std::uint32_t>& s);

// Empty when `groups` describe exactly the triangles of `input` (a multiset,
// each triangle up to rotation, winding kept) in a well-formed way: no empty
// or short group, lists of whole triangles, at most one list and only last.
// Otherwise a readable list of what is wrong.
std::string check(const std::vector<std::uint32_t>& input, const std::vector<group>& groups);

} // namespace strip_check
