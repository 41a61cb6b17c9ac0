#include "triangulate/triangulate.h"

#include <gtest/gtest.h>

namespace {

using vl2::CornerTriangle;

TEST(FanTriangles, CornerNumbersPerPolygonSize) {
    struct Case {
        std::size_t corners;
        std::vector<CornerTriangle> expected;
    } cases[] = {
        {0, {}},
        {2, {}},
        {3, {{0, 1, 2}}},
        {4, {{0, 1, 2}, {0, 2, 3}}},
        {6, {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 5}}},
    };
    for (const Case& c : cases) EXPECT_EQ(vl2::fanTriangles(c.corners), c.expected) << c.corners << " corners";
}

TEST(FanTriangles, AppendKeepsEarlierValuesAndMapsCorners) {
    std::vector<int> out = {99};
    const int quad[] = {10, 11, 12, 13};
    EXPECT_EQ(vl2::appendFan(quad, 4, out), 2u);
    EXPECT_EQ(out, (std::vector<int>{99, 10, 11, 12, 10, 12, 13}));
    const int line[] = {1, 2};
    EXPECT_EQ(vl2::appendFan(line, 2, out), 0u);
    EXPECT_EQ(out.size(), 7u);
}

}  // namespace
