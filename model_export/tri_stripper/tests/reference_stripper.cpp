#include "reference_stripper.h"

#include <deque>
#include <optional>
#include <utility>

namespace reference {
namespace {

using u32 = std::uint32_t;

struct node {
    u32 v[3];
    u32 strip_id = 0;
    bool marked = false;
    std::vector<std::size_t> links;
};

struct entry {
    std::size_t tri;
    std::size_t degree;
};

struct run {
    std::size_t cache_size;
    std::size_t min_size;
    std::vector<node> tris;
    std::vector<entry> heap;
    std::deque<std::optional<u32>> cache;
    std::size_t hits = 0;
    u32 strip_id = 0;
    std::vector<std::size_t> candidates;
    std::vector<group> out;

    bool cache_on() const { return cache_size > 0; }

    // --- heap without a position table -------------------------------------
    long place(std::size_t t) const
    {
        for (std::size_t i = 0; i < heap.size(); ++i)
            if (heap[i].tri == t)
                return static_cast<long>(i);
        return -1;
    }
    bool in_heap(std::size_t t) const { return place(t) >= 0; }

    void sift(std::size_t p)
    {
        while (p > 0 && heap[(p - 1) / 2].degree > heap[p].degree) {
            std::swap(heap[(p - 1) / 2], heap[p]);
            p = (p - 1) / 2;
        }
        for (;;) {
            std::size_t c = 2 * p + 1;
            if (c >= heap.size())
                break;
            if (c + 1 < heap.size() && heap[c + 1].degree < heap[c].degree)
                ++c;
            if (!(heap[c].degree <= heap[p].degree))
                break;
            std::swap(heap[c], heap[p]);
            p = c;
        }
    }
    void remove_at(std::size_t p)
    {
        std::swap(heap[p], heap.back());
        heap.pop_back();
        if (p < heap.size())
            sift(p);
    }
    std::size_t degree(std::size_t t) const
    {
        const long p = place(t);
        return p < 0 ? 0 : heap[static_cast<std::size_t>(p)].degree;
    }

    // --- cache --------------------------------------------------------------
    void push(u32 v, bool count)
    {
        if (!cache_on())
            return;
        bool present = false;
        for (const auto& e : cache)
            if (e && *e == v)
                present = true;
        if (count && present)
            ++hits;
        cache.push_front(v);
        cache.pop_back();
    }

    static void order_vertices(const node& n, int o, u32 out[3])
    {
        for (int i = 0; i < 3; ++i)
            out[i] = n.v[(o + i) % 3];
    }

    // Next triangle of a strip; `skip` tells which neighbours are not usable.
    template <class Skip>
    bool next(std::size_t cur, int order, bool cw, Skip skip, std::size_t& nt, u32& nv, int& no) const
    {
        const node& t = tris[cur];
        u32 first, second;
        if (order == 0) {
            first = t.v[2];
            second = t.v[1];
        } else if (order == 1) {
            first = t.v[0];
            second = t.v[2];
        } else {
            first = t.v[1];
            second = t.v[0];
        }
        for (std::size_t n : t.links) {
            if (skip(n))
                continue;
            const node& b = tris[n];
            if (b.v[0] == first && b.v[1] == second) {
                nt = n; nv = b.v[2]; no = cw ? 0 : 1;
                return true;
            }
            if (b.v[1] == first && b.v[2] == second) {
                nt = n; nv = b.v[0]; no = cw ? 1 : 2;
                return true;
            }
            if (b.v[2] == first && b.v[0] == second) {
                nt = n; nv = b.v[1]; no = cw ? 2 : 0;
                return true;
            }
        }
        return false;
    }

    struct desc {
        std::size_t start = 0;
        int order = 0;
        std::size_t size = 0;
    };

    desc trial(std::size_t s, int o)
    {
        const u32 id = ++strip_id;
        tris[s].strip_id = id;
        u32 first[3];
        order_vertices(tris[s], o, first);
        for (u32 v : first)
            push(v, true);
        std::size_t size = 1;
        bool cw = false;
        int order = o;
        std::size_t cur = s;
        for (;;) {
            if (cache_on() && size + 2 >= cache_size)
                break;
            std::size_t nt;
            u32 nv;
            int no;
            if (!next(cur, order, cw, [&](std::size_t n) { return tris[n].strip_id == id || tris[n].marked; }, nt, nv, no))
                break;
            push(nv, true);
            tris[nt].strip_id = id;
            cur = nt;
            order = no;
            cw = !cw;
            ++size;
        }
        return {s, o, size};
    }

    void mark(std::size_t t)
    {
        tris[t].marked = true;
        if (in_heap(t))
            remove_at(static_cast<std::size_t>(place(t)));
        for (std::size_t n : tris[t].links) {
            if (tris[n].marked || !in_heap(n))
                continue;
            const std::size_t p = static_cast<std::size_t>(place(n));
            heap[p].degree -= 1;
            const std::size_t d = heap[p].degree;
            sift(p);
            if (cache_on() && d != 0)
                candidates.push_back(n);
        }
    }

    desc best()
    {
        const auto cache_copy = cache;
        const std::size_t hits_copy = hits;
        desc b;
        std::size_t b_deg = 0, b_hits = 0;
        while (!candidates.empty()) {
            const std::size_t c = candidates.back();
            candidates.pop_back();
            if (tris[c].marked || degree(c) == 0)
                continue;
            for (int o = 0; o < 3; ++o) {
                const desc d = trial(c, o);
                const std::size_t h = hits;
                cache = cache_copy;
                hits = hits_copy;
                if (d.size < min_size)
                    continue;
                if (cache_on()) {
                    if (h > b_hits) {
                        b = d;
                        b_deg = degree(d.start);
                        b_hits = h;
                    } else if (h == b_hits) {
                        if (b.size > 0 && degree(d.start) < b_deg) {
                            b = d;
                            b_deg = degree(d.start);
                        } else if (d.size > b.size) {
                            b = d;
                            b_deg = degree(d.start);
                        }
                    }
                } else if (d.size > b.size) {
                    b = d;
                }
            }
        }
        return b;
    }

    void build(const desc& d)
    {
        group g;
        g.strip = true;
        u32 first[3];
        order_vertices(tris[d.start], d.order, first);
        for (u32 v : first) {
            g.indices.push_back(v);
            push(v, false);
        }
        mark(d.start);
        bool cw = false;
        int order = d.order;
        std::size_t cur = d.start;
        for (std::size_t i = 1; i < d.size; ++i) {
            std::size_t nt;
            u32 nv;
            int no;
            if (!next(cur, order, cw, [&](std::size_t n) { return tris[n].marked; }, nt, nv, no))
                break;
            g.indices.push_back(nv);
            push(nv, false);
            mark(nt);
            cur = nt;
            order = no;
            cw = !cw;
        }
        out.push_back(std::move(g));
    }
};

} // namespace

std::vector<group> strip(const std::vector<std::uint32_t>& idx, std::size_t cache_size, std::size_t min_strip_size)
{
    run r;
    r.cache_size = cache_size;
    r.min_size = min_strip_size;
    const std::size_t n = idx.size() / 3;
    r.tris.resize(n);
    for (std::size_t t = 0; t < n; ++t)
        for (int k = 0; k < 3; ++k)
            r.tris[t].v[k] = idx[3 * t + k];

    // Links: every directed edge of every triangle that walks one of t's edges
    // the other way, ordered by triangle then edge (the order of records with
    // equal vertices in a stably sorted edge list).
    for (std::size_t t = 0; t < n; ++t) {
        for (int e = 0; e < 3; ++e) {
            const u32 a = r.tris[t].v[e], b = r.tris[t].v[(e + 1) % 3];
            for (std::size_t u = 0; u < n; ++u)
                for (int f = 0; f < 3; ++f)
                    if (r.tris[u].v[f] == b && r.tris[u].v[(f + 1) % 3] == a)
                        r.tris[t].links.push_back(u);
        }
    }

    for (std::size_t t = 0; t < n; ++t) {
        r.heap.push_back({t, r.tris[t].links.size()});
        std::size_t p = r.heap.size() - 1;
        while (p > 0 && r.heap[(p - 1) / 2].degree > r.heap[p].degree) {
            std::swap(r.heap[(p - 1) / 2], r.heap[p]);
            p = (p - 1) / 2;
        }
    }
    while (!r.heap.empty() && r.heap[0].degree == 0)
        r.remove_at(0);

    r.cache.assign(cache_size, std::nullopt);

    while (!r.heap.empty()) {
        const std::size_t h = r.heap[0].tri;
        r.candidates.push_back(h);
        while (!r.candidates.empty()) {
            const run::desc b = r.best();
            if (b.size > 0 && b.size >= r.min_size)
                r.build(b);
        }
        if (r.in_heap(h))
            r.remove_at(static_cast<std::size_t>(r.place(h)));
        while (!r.heap.empty() && r.heap[0].degree == 0)
            r.remove_at(0);
    }

    group left;
    for (const node& t : r.tris)
        if (!t.marked)
            left.indices.insert(left.indices.end(), t.v, t.v + 3);
    if (!left.indices.empty())
        r.out.push_back(std::move(left));
    return r.out;
}

} // namespace reference
