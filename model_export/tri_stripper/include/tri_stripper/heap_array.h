// Binary min-heap over an array with a position table, so that any element
// can be found, removed or re-keyed in logarithmic time. Elements are named by
// the order they were pushed in (the first push is element 0, ...), which for
// the stripper is the triangle number.
//
// The tie rules are part of the stripper's output, so they are fixed here:
// sift-up stops on an equal parent, sift-down moves past an equal child.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <vector>

namespace triangle_stripper {

// Raised when an element is pushed after the heap was locked: the position
// table is only valid for a fixed set of elements.
class heap_is_locked : public std::logic_error {
public:
    heap_is_locked() : std::logic_error("heap_is_locked: push into a locked heap_array") {}
};

// CmpT is a "greater than": the top is an element no other element is less than.
template <class T, class CmpT = std::greater<T>>
class heap_array {
public:
    explicit heap_array(CmpT cmp = CmpT()) : m_cmp(cmp) {}

    void clear()
    {
        m_heap.clear();
        m_finder.clear();
        m_size = 0;
        m_locked = false;
    }

    void reserve(std::size_t n)
    {
        m_heap.reserve(n);
        m_finder.reserve(n);
    }

    bool empty() const { return m_size == 0; }
    std::size_t size() const { return m_size; }

    void lock() { m_locked = true; }
    bool locked() const { return m_locked; }

    // Appends and sifts up; returns the element's number.
    std::size_t push(const T& elem)
    {
        if (m_locked)
            throw heap_is_locked();
        const std::size_t id = m_finder.size();
        m_heap.push_back(entry{elem, id});
        m_finder.push_back(m_heap.size() - 1);
        // Removed elements are parked behind the live part: bring the new
        // one to the end of the live part first.
        swap_at(m_size, m_heap.size() - 1);
        ++m_size;
        sift_up(m_size - 1);
        return id;
    }

    const T& top() const { return m_heap[0].elem; }

    // The element's value, also after it left the heap (its last value).
    const T& peek(std::size_t id) const { return m_heap[m_finder[id]].elem; }

    // Current place in the array; at or beyond size() once removed.
    std::size_t position(std::size_t id) const { return m_finder[id]; }
    bool removed(std::size_t id) const { return m_finder[id] >= m_size; }
    std::size_t id_at(std::size_t position) const { return m_heap[position].id; }

    void pop() { erase_at(0); }
    void erase(std::size_t id) { erase_at(m_finder[id]); }

    // Replaces a live element's value and restores the heap order.
    void update(std::size_t id, const T& elem)
    {
        const std::size_t p = m_finder[id];
        m_heap[p].elem = elem;
        resift(p);
    }

private:
    struct entry {
        T elem;
        std::size_t id;
    };

    void erase_at(std::size_t p)
    {
        const std::size_t last = m_size - 1;
        swap_at(p, last);
        --m_size; // the removed entry stays at index m_size, outside the heap
        if (p < m_size)
            resift(p);
    }

    void resift(std::size_t p) { sift_down(sift_up(p)); }

    std::size_t sift_up(std::size_t p)
    {
        while (p > 0) {
            const std::size_t parent = (p - 1) / 2;
            if (!m_cmp(m_heap[parent].elem, m_heap[p].elem))
                break;
            swap_at(parent, p);
            p = parent;
        }
        return p;
    }

    void sift_down(std::size_t p)
    {
        for (;;) {
            std::size_t child = 2 * p + 1;
            if (child >= m_size)
                return;
            if (child + 1 < m_size && m_cmp(m_heap[child].elem, m_heap[child + 1].elem))
                ++child;
            if (m_cmp(m_heap[child].elem, m_heap[p].elem))
                return;
            swap_at(child, p);
            p = child;
        }
    }

    void swap_at(std::size_t a, std::size_t b)
    {
        if (a == b)
            return;
        std::swap(m_heap[a], m_heap[b]);
        m_finder[m_heap[a].id] = a;
        m_finder[m_heap[b].id] = b;
    }

    std::vector<entry> m_heap;
    std::vector<std::size_t> m_finder;
    std::size_t m_size = 0;
    bool m_locked = false;
    CmpT m_cmp;
};

} // namespace triangle_stripper
