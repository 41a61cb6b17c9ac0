#include <tri_stripper/tri_stripper.h>

#include <gtest/gtest.h>

#include <random>

namespace ts = triangle_stripper;

namespace {

ts::triangle_heap make(std::initializer_list<std::size_t> degrees)
{
    ts::triangle_heap h;
    std::size_t t = 0;
    for (std::size_t d : degrees)
        h.push({t++, d});
    return h;
}

TEST(HeapArray, LockedHeapRefusesPushesButStillRemovesAndUpdates)
{
    ts::triangle_heap h = make({3, 1, 2});
    h.lock();
    EXPECT_TRUE(h.locked());
    EXPECT_THROW(h.push({3, 0}), ts::heap_is_locked);
    EXPECT_EQ(h.size(), 3u);
    h.update(0, {0, 0});
    EXPECT_EQ(h.top().tri, 0u);
    h.pop();
    EXPECT_EQ(h.size(), 2u);
    EXPECT_TRUE(h.removed(0));
    h.clear();
    EXPECT_FALSE(h.locked());
    EXPECT_NO_THROW(h.push({0, 1}));
}

TEST(HeapArray, SiftUpStopsBelowAnEqualParent)
{
    const ts::triangle_heap h = make({1, 1, 0, 1});
    EXPECT_EQ(h.top().tri, 2u);
    // Element 1 stays below its equal parent 0; 0 made room for 2; 3 stays
    // below its equal parent 1.
    EXPECT_EQ(h.position(0), 2u);
    EXPECT_EQ(h.position(1), 1u);
    EXPECT_EQ(h.position(3), 3u);
}

TEST(HeapArray, SiftDownTakesLeftChildOnTiesAndPassesEqualDegrees)
{
    ts::triangle_heap h = make({0, 2, 2, 3, 3});
    h.pop();
    // The last element (4, degree 3) moves to the root, goes down past the
    // left child of degree 2 and then past the equal degree of element 3.
    EXPECT_EQ(h.top().tri, 1u);
    EXPECT_EQ(h.position(3), 1u);
    EXPECT_EQ(h.position(2), 2u);
    EXPECT_EQ(h.position(4), 3u);

    ts::triangle_heap t = make({1, 2, 2});
    t.pop();
    EXPECT_EQ(t.top().tri, 1u); // swapped below its equal: 2 went down
}

TEST(HeapArray, RemovedElementsKeepTheirLastValue)
{
    ts::triangle_heap h = make({4, 2, 5});
    h.lock();
    h.erase(1);
    EXPECT_TRUE(h.removed(1));
    EXPECT_FALSE(h.removed(0));
    EXPECT_EQ(h.peek(1).degree, 2u);
    h.erase(2);
    EXPECT_EQ(h.peek(1).degree, 2u);
    EXPECT_EQ(h.peek(2).degree, 5u);
    EXPECT_EQ(h.top().tri, 0u);
}

TEST(HeapArray, PushAfterRemovalKeepsParkedElements)
{
    ts::triangle_heap h = make({4, 2});
    h.pop();
    const std::size_t id = h.push({2, 3});
    EXPECT_EQ(id, 2u);
    EXPECT_TRUE(h.removed(1));
    EXPECT_EQ(h.peek(1).degree, 2u);
    EXPECT_EQ(h.top().tri, 2u);
    EXPECT_EQ(h.size(), 2u);
}

// Random removals and degree drops against a plain scan: the top always has
// the smallest live degree and every position points at its own element.
TEST(HeapArray, StaysConsistentUnderRandomOperations)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        const std::size_t n = 1 + rng() % 200;
        ts::triangle_heap h;
        std::vector<std::size_t> deg(n);
        std::vector<bool> live(n, true);
        for (std::size_t t = 0; t < n; ++t) {
            deg[t] = rng() % 6;
            h.push({t, deg[t]});
        }
        h.lock();
        std::size_t alive = n;
        while (alive > 0) {
            const std::size_t t = rng() % n;
            if (!live[t])
                continue;
            const unsigned op = rng() % 3;
            if (op == 0) {
                h.erase(t);
                live[t] = false;
                --alive;
            } else if (op == 1 && deg[t] > 0) {
                h.update(t, {t, --deg[t]});
            } else {
                const std::size_t top = h.top().tri;
                h.pop();
                live[top] = false;
                --alive;
            }
            ASSERT_EQ(h.size(), alive);
            std::size_t least = SIZE_MAX;
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(h.removed(i), !live[i]);
                ASSERT_EQ(h.peek(i).tri, i);
                if (live[i]) {
                    ASSERT_EQ(h.id_at(h.position(i)), i);
                    ASSERT_EQ(h.peek(i).degree, deg[i]);
                    least = std::min(least, deg[i]);
                }
            }
            for (std::size_t p = 1; p < h.size(); ++p) {
                ASSERT_LE(h.peek(h.id_at((p - 1) / 2)).degree, h.peek(h.id_at(p)).degree);
            }
            if (alive > 0) {
                ASSERT_EQ(h.top().degree, least);
            }
        }
    }
}

} // namespace
