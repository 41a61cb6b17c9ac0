// vl2inspect writes a layered image's composite or one layer as PNG; the file
// is read back by ImageMagick, which shares no code with the writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace {

std::string run(const std::string& cmd, int* status) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    int raw = pclose(p);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

TEST(Vl2InspectPng, CompositeAndLayerAreWrittenAtCanvasSize) {
    const std::string inspect = std::string(VL2_BIN_DIR) + "/vl2inspect";
    const std::string sample = std::string(VL2_SAMPLES_DIR) + "/psd/2layers.psd";
    struct Case { const char* layer; const char* png; };
    for (const Case& c : {Case{"", "/tmp/vl2inspect_composite.png"}, Case{"--layer 1", "/tmp/vl2inspect_layer1.png"}}) {
        int status = -1;
        run(inspect + " --png " + c.png + " " + c.layer + " " + sample + " >/dev/null", &status);
        ASSERT_EQ(status, 0) << c.png;
        std::string size = run(std::string("/usr/bin/identify -format '%w %h %m' ") + c.png, &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(size, "101 55 PNG") << c.png;
        std::remove(c.png);
    }
    int status = -1;
    run(inspect + " --png /tmp/vl2inspect_none.png --layer 99 " + sample + " 2>/dev/null >/dev/null", &status);
    EXPECT_NE(status, 0);
}

}  // namespace
