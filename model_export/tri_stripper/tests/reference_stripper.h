// Slow, literal transcription of the stripping rules, used only to show that
// the fast stripper (sorted edge list, position table, ring-buffer cache)
// gives exactly the same output. Neighbours are found by scanning all
// triangles, heap places by scanning the array, the cache is a plain deque.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace reference {

struct group {
    bool strip = false;
    std::vector<std::uint32_t> indices;
};

std::vector<group> strip(const std::vector<std::uint32_t>& indices, std::size_t cache_size, std::size_t min_strip_size);

} // namespace reference
