#include <tri_stripper/tri_stripper.h>

#include <algorithm>
#include <string>

namespace triangle_stripper {

triangles_indices_error::triangles_indices_error(std::size_t count)
    : std::runtime_error("triangles_indices_error: " + std::to_string(count) +
                         " triangle indices is not a multiple of 3")
{
}

namespace {

// A directed edge (first, second) as one sortable key.
std::uint64_t edge_key(index first, index second)
{
    return (static_cast<std::uint64_t>(first) << 32) | second;
}

struct edge_record {
    std::uint64_t key;
    std::size_t tri;
};

bool edge_less(const edge_record& l, const edge_record& r)
{
    // Records of one directed edge keep triangle order, so links come out the
    // same on every standard library.
    return l.key != r.key ? l.key < r.key : l.tri < r.tri;
}

} // namespace

// --- vertex cache -----------------------------------------------------------

void tri_stripper::vertex_fifo::resize(std::size_t capacity)
{
    // Keep the newest entries; slots added at the back are empty.
    const std::size_t n = m_ring.size();
    const std::size_t keep = std::min(n, capacity);
    std::vector<index> ordered; // oldest first
    ordered.reserve(keep);
    for (std::size_t i = n - keep; i < n; ++i)
        ordered.push_back(m_ring[(m_next + i) % n]);
    m_ring.swap(ordered);
    m_next = 0;
    m_capacity = capacity;
}

void tri_stripper::vertex_fifo::clear()
{
    m_ring.clear();
    m_next = 0;
}

bool tri_stripper::vertex_fifo::contains(index v) const
{
    return std::find(m_ring.begin(), m_ring.end(), v) != m_ring.end();
}

void tri_stripper::vertex_fifo::push(index v)
{
    if (m_capacity == 0)
        return;
    if (m_ring.size() < m_capacity) {
        m_ring.push_back(v);
        return;
    }
    m_ring[m_next] = v; // overwrites the oldest
    m_next = (m_next + 1) % m_capacity;
}

// --- stripper ---------------------------------------------------------------

tri_stripper::tri_stripper(index_list triangle_indices) : m_input(std::move(triangle_indices)) {}

void tri_stripper::set_cache_size(std::size_t n)
{
    m_cache.resize(n);
}

void tri_stripper::strip(primitive_vector& out)
{
    if (m_input.size() % 3 != 0)
        throw triangles_indices_error(m_input.size());

    // Built aside so that `out` is never left half-filled.
    primitive_vector result;
    m_out = &result;

    build_graph();
    build_heap();

    m_cache.clear();
    m_cache_hits = 0;
    m_strip_id = 0;
    m_candidates.clear();

    stripify();
    add_left_triangles();

    m_out = nullptr;
    out.swap(result);
}

void tri_stripper::build_graph()
{
    const std::size_t n = m_input.size() / 3;
    m_tris.assign(n, triangle{});
    for (std::size_t t = 0; t < n; ++t)
        m_tris[t] = triangle{m_input[3 * t], m_input[3 * t + 1], m_input[3 * t + 2], 0, false};

    std::vector<edge_record> edges;
    edges.reserve(3 * n);
    for (std::size_t t = 0; t < n; ++t) {
        const triangle& tr = m_tris[t];
        edges.push_back({edge_key(tr.a, tr.b), t});
        edges.push_back({edge_key(tr.b, tr.c), t});
        edges.push_back({edge_key(tr.c, tr.a), t});
    }
    std::sort(edges.begin(), edges.end(), edge_less);

    // The searches run over the keys alone: half the memory to touch.
    std::vector<std::uint64_t> keys(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        keys[i] = edges[i].key;

    m_link_begin.assign(n + 1, 0);
    m_links.clear();
    m_links.reserve(3 * n);
    for (std::size_t t = 0; t < n; ++t) {
        m_link_begin[t] = m_links.size();
        const triangle& tr = m_tris[t];
        const index own[3][2] = {{tr.a, tr.b}, {tr.b, tr.c}, {tr.c, tr.a}};
        for (const auto& e : own) {
            // The same edge walked the other way.
            const std::uint64_t key = edge_key(e[1], e[0]);
            for (auto it = std::lower_bound(keys.begin(), keys.end(), key); it != keys.end() && *it == key; ++it)
                m_links.push_back(edges[static_cast<std::size_t>(it - keys.begin())].tri);
        }
    }
    m_link_begin[n] = m_links.size();
}

void tri_stripper::build_heap()
{
    const std::size_t n = m_tris.size();
    m_heap.clear();
    m_heap.reserve(n);
    for (std::size_t t = 0; t < n; ++t)
        m_heap.push(triangle_degree{t, m_link_begin[t + 1] - m_link_begin[t]});
    m_heap.lock();

    // Isolated triangles never start a strip; they end in the left triangles.
    while (!m_heap.empty() && m_heap.top().degree == 0)
        m_heap.pop();
}

void tri_stripper::stripify()
{
    while (!m_heap.empty()) {
        const std::size_t h = m_heap.top().tri;
        m_candidates.push_back(h);

        while (!m_candidates.empty()) {
            const strip_desc best = find_best_strip();
            // A size of 0 means no candidate was usable; never build that,
            // whatever the minimum strip size.
            if (best.size > 0 && best.size >= m_min_strip_size)
                build_strip(best);
        }

        if (!m_heap.removed(h))
            m_heap.erase(h);

        while (!m_heap.empty() && m_heap.top().degree == 0)
            m_heap.pop();
    }
}

tri_stripper::strip_desc tri_stripper::find_best_strip()
{
    const vertex_fifo cache_copy = m_cache;
    const std::size_t hits_copy = m_cache_hits;

    strip_desc best;
    std::size_t best_degree = 0;
    std::size_t best_hits = 0;

    while (!m_candidates.empty()) {
        const std::size_t c = m_candidates.back();
        m_candidates.pop_back();
        if (m_tris[c].marked || m_heap.peek(c).degree == 0)
            continue;

        for (start_order o : {ABC, BCA, CAB}) {
            const strip_desc trial = extend_to_strip(c, o);
            const std::size_t hits = m_cache_hits - hits_copy;
            m_cache = cache_copy;
            m_cache_hits = hits_copy;

            if (trial.size < m_min_strip_size)
                continue;
            const std::size_t degree = m_heap.peek(trial.start).degree;
            if (!cache_on()) {
                if (trial.size > best.size)
                    best = trial;
            } else if (hits > best_hits) {
                best = trial;
                best_degree = degree;
                best_hits = hits;
            } else if (hits == best_hits) {
                if (best.size > 0 && degree < best_degree) {
                    best = trial;
                    best_degree = degree;
                } else if (trial.size > best.size) {
                    best = trial;
                    best_degree = degree;
                }
            }
        }
    }
    return best;
}

template <class Pred>
bool tri_stripper::next_triangle(std::size_t cur, start_order order, bool clockwise, Pred usable,
                                 next_step& step) const
{
    const triangle& t = m_tris[cur];
    index first, second;
    switch (order) {
    case ABC: first = t.c; second = t.b; break;
    case BCA: first = t.a; second = t.c; break;
    default:  first = t.b; second = t.a; break;
    }

    for (std::size_t l = m_link_begin[cur]; l != m_link_begin[cur + 1]; ++l) {
        const std::size_t n = m_links[l];
        if (!usable(n))
            continue;
        const triangle& nb = m_tris[n];
        if (nb.a == first && nb.b == second) {
            step = next_step{n, nb.c, clockwise ? ABC : BCA};
            return true;
        }
        if (nb.b == first && nb.c == second) {
            step = next_step{n, nb.a, clockwise ? BCA : CAB};
            return true;
        }
        if (nb.c == first && nb.a == second) {
            step = next_step{n, nb.b, clockwise ? CAB : ABC};
            return true;
        }
    }
    return false;
}

std::uint32_t tri_stripper::next_strip_id()
{
    if (++m_strip_id == 0) {
        // 32-bit wrap: forget old ids so no triangle looks part of the new trial.
        for (triangle& t : m_tris)
            t.strip_id = 0;
        m_strip_id = 1;
    }
    return m_strip_id;
}

void tri_stripper::push_cache(index v, bool count_hit)
{
    if (count_hit && m_cache.contains(v))
        ++m_cache_hits;
    m_cache.push(v);
}

tri_stripper::strip_desc tri_stripper::extend_to_strip(std::size_t start, start_order first_order)
{
    start_order order = first_order;
    const std::uint32_t id = next_strip_id();
    triangle& s = m_tris[start];
    s.strip_id = id;
    const index first3[3][3] = {{s.a, s.b, s.c}, {s.b, s.c, s.a}, {s.c, s.a, s.b}};
    for (index v : first3[first_order])
        push_cache(v, true);

    std::size_t size = 1;
    bool clockwise = false;
    std::size_t cur = start;
    const auto usable = [this, id](std::size_t n) { return m_tris[n].strip_id != id && !m_tris[n].marked; };
    for (;;) {
        // The whole strip must still be in the cache when it is drawn.
        if (cache_on() && size + 2 >= m_cache.capacity())
            break;
        next_step step;
        if (!next_triangle(cur, order, clockwise, usable, step))
            break;
        push_cache(step.vertex, true);
        m_tris[step.tri].strip_id = id;
        cur = step.tri;
        order = step.order;
        clockwise = !clockwise;
        ++size;
    }
    return strip_desc{start, first_order, size};
}

void tri_stripper::build_strip(const strip_desc& s)
{
    m_out->push_back(primitive_group{primitive_type::triangle_strip, {}});
    index_list& out = m_out->back().indices;
    out.reserve(s.size + 2);

    const triangle& st = m_tris[s.start];
    const index first3[3][3] = {{st.a, st.b, st.c}, {st.b, st.c, st.a}, {st.c, st.a, st.b}};
    for (index v : first3[s.order]) {
        out.push_back(v);
        push_cache(v, false);
    }
    mark_tri_as_taken(s.start);

    bool clockwise = false;
    start_order order = s.order;
    std::size_t cur = s.start;
    const auto usable = [this](std::size_t n) { return !m_tris[n].marked; };
    for (std::size_t i = 1; i < s.size; ++i) {
        next_step step;
        // Same walk as the trial that chose this strip, so it cannot fail.
        if (!next_triangle(cur, order, clockwise, usable, step))
            break;
        out.push_back(step.vertex);
        push_cache(step.vertex, false);
        mark_tri_as_taken(step.tri);
        cur = step.tri;
        order = step.order;
        clockwise = !clockwise;
    }
}

void tri_stripper::mark_tri_as_taken(std::size_t t)
{
    m_tris[t].marked = true;
    if (!m_heap.removed(t))
        m_heap.erase(t);

    for (std::size_t l = m_link_begin[t]; l != m_link_begin[t + 1]; ++l) {
        const std::size_t n = m_links[l];
        if (m_tris[n].marked || m_heap.removed(n))
            continue;
        const std::size_t degree = m_heap.peek(n).degree - 1;
        m_heap.update(n, triangle_degree{n, degree});
        if (cache_on() && degree != 0)
            m_candidates.push_back(n);
    }
}

void tri_stripper::add_left_triangles()
{
    primitive_group list{primitive_type::triangle_list, {}};
    for (const triangle& t : m_tris) {
        if (t.marked)
            continue;
        list.indices.push_back(t.a);
        list.indices.push_back(t.b);
        list.indices.push_back(t.c);
    }
    if (!list.indices.empty())
        m_out->push_back(std::move(list));
}

} // namespace triangle_stripper
