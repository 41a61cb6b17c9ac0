// Automatic and clashing node names: the indexed naming must give exactly the
// names a scan over every node gives, through creation, renaming,
// reparenting and deletion, and lookups by name must see every change.
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace host::scene;

namespace {

struct NamingTest : ::testing::Test {
    void SetUp() override { s.newScene(); }
    Scene& s = scene();
};

// The naming rules written as a plain scan of the scene.
std::string scanUniqueName(const std::string& want, const Node* self, const Node* dagParent, bool isDag) {
    const std::vector<Node*> all = scene().nodes();
    auto globalClash = [&](const std::string& n) {
        for (const Node* o : all)
            if (o != self && o->name == n) return true;
        return false;
    };
    auto clash = [&](const std::string& n) {
        for (const Node* o : all) {
            if (o == self || o->name != n) continue;
            if (!isDag || !o->isDag() || o->parent == dagParent) return true;
        }
        return false;
    };
    auto probe = [&](const std::string& pre, const std::string& post, unsigned long from) {
        for (unsigned long i = from;; ++i)
            if (!globalClash(pre + std::to_string(i) + post)) return pre + std::to_string(i) + post;
    };
    size_t hash = want.find('#');
    if (hash != std::string::npos) {
        std::string post = want.substr(hash + 1);
        post.erase(std::remove(post.begin(), post.end(), '#'), post.end());
        return probe(want.substr(0, hash), post, 1);
    }
    if (!clash(want)) return want;
    size_t e = want.size();
    while (e > 0 && std::isdigit(static_cast<unsigned char>(want[e - 1]))) --e;
    unsigned long from = 1;
    if (e < want.size() && want.size() - e < 10) from = std::stoul(want.substr(e)) + 1;
    return probe(want.substr(0, e), "", from);
}

TEST_F(NamingTest, HostNamingRules) {
    struct Step {
        enum Op { Create, CreateDep, Rename, Delete } op;
        const char* name;    // Create*: wanted name; Rename/Delete: the node
        const char* arg;     // Rename: new name; Create: parent ("" = world)
        const char* expect;  // resulting name ("" for Delete)
    };
    const Step steps[] = {
        {Step::Create, "box", "", "box"},
        {Step::Create, "box", "", "box1"},
        {Step::Create, "box", "", "box2"},
        {Step::Delete, "box1", "", ""},
        {Step::Create, "box", "", "box1"},           // the freed number is found again
        {Step::Create, "box", "", "box3"},
        {Step::Create, "box007", "", "box007"},
        {Step::Create, "box007", "", "box8"},        // counts on from the clashing number
        {Step::Create, "grp#", "", "grp1"},
        {Step::Create, "grp#", "", "grp2"},
        {Step::Create, "grp#", "", "grp3"},
        {Step::Delete, "grp2", "", ""},
        {Step::Create, "grp#", "", "grp2"},
        {Step::Create, "a#b#c", "", "a1bc"},         // first '#' numbers, later ones go
        {Step::Create, "a#bc", "", "a2bc"},
        {Step::Create, "leaf", "box", "leaf"},
        {Step::Create, "leaf", "box1", "leaf"},      // DAG names are unique among siblings only
        {Step::Create, "leaf", "box1", "leaf1"},
        {Step::CreateDep, "leaf", "", "leaf2"},      // a dependency node clashes with any node
        {Step::CreateDep, "box#", "", "box4"},
        {Step::Rename, "box4", "box4", "box4"},      // a node does not clash with itself
        {Step::Rename, "box4", "box#", "box4"},
        {Step::Rename, "box4", "grp#", "grp4"},
        {Step::Create, "box#", "", "box4"},          // the name left behind is free again
        {Step::Create, "n12345678901", "", "n12345678901"},
        {Step::Create, "n12345678901", "", "n1"},    // too many digits: counts from 1
        {Step::Create, "persp", "", "persp1"},
        {Step::Create, "", "", "transform1"},
        {Step::Create, "", "", "transform2"},
    };
    for (const Step& st : steps) {
        SCOPED_TRACE(std::string(st.name) + " " + st.arg);
        switch (st.op) {
        case Step::Create:
        case Step::CreateDep: {
            Node* parent = *st.arg ? s.find(st.arg) : nullptr;
            Node* n = s.createNode(st.op == Step::Create ? "transform" : "addDoubleLinear", st.name, parent);
            ASSERT_NE(n, nullptr);
            EXPECT_EQ(n->name, st.expect);
            break;
        }
        case Step::Rename: {
            Node* n = s.find(st.name);
            ASSERT_NE(n, nullptr);
            ASSERT_FALSE(s.rename(n, st.arg).error());
            EXPECT_EQ(n->name, st.expect);
            EXPECT_EQ(s.find(st.expect), n);
            break;
        }
        case Step::Delete: {
            Node* n = s.find(st.name);
            ASSERT_NE(n, nullptr);
            ASSERT_FALSE(s.deleteNode(n).error());
            EXPECT_EQ(s.find(st.name), nullptr);
            break;
        }
        }
    }
}

// Random edits, each name checked against the scan, and lookups against the
// scene's own node list.
TEST_F(NamingTest, MatchesFullScanUnderRandomEdits) {
    std::mt19937 rng(12345);
    const char* pool[] = {"", "box", "box2", "box10", "grp#", "g#x", "leaf", "leaf1", "x1y2", "x1y#", "n#"};
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    std::vector<Node*> mine;  // nodes this test made and has not deleted
    auto refresh = [&] {
        std::vector<Node*> all = s.nodes();
        mine.erase(std::remove_if(mine.begin(), mine.end(),
                                  [&](Node* n) { return std::find(all.begin(), all.end(), n) == all.end(); }),
                   mine.end());
    };
    for (int step = 0; step < 1500; ++step) {
        const std::string want = pool[pick(std::size(pool))];
        const size_t op = mine.empty() ? 0 : pick(10);
        if (op < 5) {
            Node* parent = nullptr;
            bool dag = op != 4;
            if (dag && !mine.empty() && pick(2) == 0) {
                parent = mine[pick(mine.size())];
                if (!parent->isDag()) parent = nullptr;
            }
            const char* type = dag ? "transform" : "multiplyDivide";
            std::string expect = scanUniqueName(want.empty() ? std::string(type) + "#" : want, nullptr, parent, dag);
            Node* n = s.createNode(type, want, parent);
            ASSERT_NE(n, nullptr);
            ASSERT_EQ(n->name, expect) << "step " << step;
            mine.push_back(n);
        } else if (op < 7) {
            if (want.empty()) continue;
            Node* n = mine[pick(mine.size())];
            std::string expect = scanUniqueName(want, n, n->parent, n->isDag());
            ASSERT_FALSE(s.rename(n, want).error());
            ASSERT_EQ(n->name, expect) << "step " << step;
        } else if (op < 8) {
            Node* n = mine[pick(mine.size())];
            Node* to = pick(3) == 0 ? nullptr : mine[pick(mine.size())];
            if (!n->isDag() || (to && !to->isDag())) continue;
            bool cycle = false;
            for (Node* p = to; p; p = p->parent) cycle = cycle || p == n;
            if (cycle) continue;
            std::string expect = scanUniqueName(n->name, n, to, true);
            ASSERT_FALSE(s.reparent(n, to).error());
            ASSERT_EQ(n->name, expect) << "step " << step;
        } else {
            ASSERT_FALSE(s.deleteNode(mine[pick(mine.size())]).error());
            refresh();
        }
        // Lookups agree with a scan of the node list.
        if (step % 25 == 0) {
            std::vector<Node*> all = s.nodes();
            for (Node* n : mine) {
                std::vector<Node*> same;
                for (Node* o : all)
                    if (o->name == n->name) same.push_back(o);
                ASSERT_EQ(s.match(n->name), same) << n->name;
                ASSERT_EQ(s.find(n->isDag() ? n->fullPath() : n->name), n) << n->fullPath();
                ASSERT_EQ(s.find(n->name) == n, same.size() == 1) << n->name;
            }
        }
    }
}

// Many names clashing on one base: numbers freed in the middle are found
// again and the next new name continues after the highest.
TEST_F(NamingTest, ManyClashingNamesStayConsistent) {
    const int n = 20000;
    for (int i = 0; i < n; ++i) ASSERT_NE(s.createNode("transform", "box"), nullptr);
    EXPECT_NE(s.find("box"), nullptr);
    EXPECT_NE(s.find("box19999"), nullptr);
    EXPECT_EQ(s.find("box20000"), nullptr);
    ASSERT_FALSE(s.deleteNode(s.find("box777")).error());
    EXPECT_EQ(s.createNode("transform", "box")->name, "box777");
    EXPECT_EQ(s.createNode("transform", "box")->name, "box20000");
}

}  // namespace
