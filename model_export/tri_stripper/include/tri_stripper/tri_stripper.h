// Turns an indexed triangle list into triangle strips plus at most one list
// of the triangles no strip took. Strips grow from the loneliest triangles
// first; among candidate strips the one that reuses most vertices of a
// simulated first-in-first-out vertex cache wins, so consecutive strips
// share the vertices the hardware has just transformed.
//
// Usage (one object per mesh part):
//   triangle_stripper::tri_stripper stripper(indices);
//   stripper.set_cache_size(10);
//   stripper.set_min_strip_size(2);
//   triangle_stripper::primitive_vector groups;
//   stripper.strip(groups); // strips first, then the left-over list if any
#pragma once

#include <tri_stripper/heap_array.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace triangle_stripper {

using index = std::uint32_t;
using index_list = std::vector<index>;

// Values match the primitive group kinds of the render mesh (0 list, 1 strip).
enum class primitive_type : std::uint32_t {
    triangle_list = 0,
    triangle_strip = 1,
};

struct primitive_group {
    primitive_type type = primitive_type::triangle_list;
    index_list indices;
};

using primitive_vector = std::vector<primitive_group>;

// The input does not hold whole triangles.
class triangles_indices_error : public std::runtime_error {
public:
    explicit triangles_indices_error(std::size_t count);
};

struct triangle_degree {
    std::size_t tri = 0;
    std::size_t degree = 0;
};

// Orders the heap so that its top has the smallest degree.
struct _cmp_tri_degree_gt {
    bool operator()(const triangle_degree& a, const triangle_degree& b) const { return a.degree > b.degree; }
};

using triangle_heap = heap_array<triangle_degree, _cmp_tri_degree_gt>;

class tri_stripper {
public:
    static constexpr std::size_t default_min_strip_size = 2;
    static constexpr std::size_t default_cache_size = 16;

    explicit tri_stripper(index_list triangle_indices);

    // Strips shorter than this (in triangles) go to the list instead.
    void set_min_strip_size(std::size_t n) { m_min_strip_size = n; }
    // Vertex cache entries; 0 switches the cache model off.
    void set_cache_size(std::size_t n);

    std::size_t min_strip_size() const { return m_min_strip_size; }
    std::size_t cache_size() const { return m_cache.capacity(); }

    // Replaces `out` with the strips and the left-over list. Throws
    // triangles_indices_error, leaving `out` untouched, when the index count
    // is not a multiple of 3.
    void strip(primitive_vector& out);

private:
    enum start_order : std::uint8_t { ABC = 0, BCA = 1, CAB = 2 };

    struct triangle {
        index a, b, c;
        std::uint32_t strip_id;
        bool marked;
    };

    struct strip_desc {
        std::size_t start = 0;
        start_order order = ABC;
        std::size_t size = 0;
    };

    // Shift register of the last pushed vertices: a push enters at the front
    // and drops the back, whether or not the vertex was already present.
    // Empty slots are simply not stored, so they match no vertex.
    class vertex_fifo {
    public:
        explicit vertex_fifo(std::size_t capacity) : m_capacity(capacity) {}
        std::size_t capacity() const { return m_capacity; }
        void resize(std::size_t capacity);
        void clear();
        bool contains(index v) const;
        void push(index v);

    private:
        std::size_t m_capacity;
        std::vector<index> m_ring; // filled entries, oldest at m_next once full
        std::size_t m_next = 0;
    };

    struct next_step {
        std::size_t tri;
        index vertex;
        start_order order;
    };

    void build_graph();
    void build_heap();
    void stripify();
    strip_desc find_best_strip();
    strip_desc extend_to_strip(std::size_t start, start_order order);
    void build_strip(const strip_desc& s);
    void mark_tri_as_taken(std::size_t t);
    void add_left_triangles();

    // Finds the neighbour of `cur` (walked in `order`) that continues the
    // strip; `usable` says which neighbours may be taken.
    template <class Pred>
    bool next_triangle(std::size_t cur, start_order order, bool clockwise, Pred usable, next_step& step) const;

    void push_cache(index v, bool count_hit);
    bool cache_on() const { return m_cache.capacity() > 0; }
    std::uint32_t next_strip_id();

    index_list m_input;
    std::size_t m_min_strip_size = default_min_strip_size;

    std::vector<triangle> m_tris;
    std::vector<std::size_t> m_link_begin; // links of t: m_links[m_link_begin[t] .. m_link_begin[t + 1])
    std::vector<std::size_t> m_links;
    triangle_heap m_heap;

    vertex_fifo m_cache{default_cache_size};
    std::size_t m_cache_hits = 0;
    std::uint32_t m_strip_id = 0;
    std::vector<std::size_t> m_candidates;

    primitive_vector* m_out = nullptr;
};

} // namespace triangle_stripper
