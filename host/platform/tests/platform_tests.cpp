#include <platform/platform.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TempTree : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vl2plat.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root = tmpl;
        ASSERT_EQ(mkdir((root + "/Data").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((root + "/Data/Shaders").c_str(), 0755), 0);
        std::ofstream(root + "/Data/Shaders/Ship.st") << "x";
    }
    void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string root;
};

TEST_F(TempTree, ResolvesWindowsPathsCaseInsensitively) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"/Data/Shaders/Ship.st", "/Data/Shaders/Ship.st"},
        {"\\data\\shaders\\ship.st", "/Data/Shaders/Ship.st"},
        {"/DATA/shaders/SHIP.ST", "/Data/Shaders/Ship.st"},
        {"/data/Shaders", "/Data/Shaders"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vl2platform::resolvePath(root + c.in), root + c.out) << c.in;
    }
}

TEST_F(TempTree, MissingPathKeepsNativeSpelling) {
    EXPECT_EQ(vl2platform::resolvePath(root + "\\data\\nothere\\a.st"), root + "/data/nothere/a.st");
    EXPECT_EQ(vl2platform::openFile(root + "/data/nothere/a.st", "rb"), nullptr);
}

TEST_F(TempTree, OpenFileReadsAndWritesThroughResolvedFolders) {
    std::FILE* f = vl2platform::openFile(root + "\\DATA\\SHADERS\\ship.st", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fgetc(f), 'x');
    std::fclose(f);

    f = vl2platform::openFile(root + "\\data\\shaders\\New.txt", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("y", f);
    std::fclose(f);
    EXPECT_TRUE(vl2platform::fileExists(root + "/Data/Shaders/New.txt"));
}

TEST(Platform, LongDateFormat) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 11;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    EXPECT_EQ(vl2platform::longDate(std::mktime(&tm)), "Friday, December 11, 2026");
}

TEST(Platform, UserNameFollowsEnvironment) {
    ::setenv("USER", "artist7", 1);
    EXPECT_EQ(vl2platform::userName(), "artist7");
}

}  // namespace
