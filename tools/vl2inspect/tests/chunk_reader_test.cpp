// The chunk reader and the vl2inspect program on hand-built files: valid
// trees with decoded fields, and every kind of broken file.
#include "chunkread/ChunkReader.h"
#include "chunkread/Decoders.h"
#include "chunkread/Render.h"
#include "inspect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace cr = vl2::chunkread;
using Bytes = std::vector<std::uint8_t>;

// ---- A byte builder independent of ChunkWriter --------------------------

Bytes str(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}
Bytes be(std::uint32_t v)
{
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
Bytes le(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}
Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes form(const std::string& id, const Bytes& contents)
{
    return cat({str("FORM"), be(std::uint32_t(contents.size() + 4)), str(id), contents});
}
Bytes nrml(const std::string& id, std::uint32_t version, const Bytes& contents)
{
    return cat({str("NRML"), be(std::uint32_t(contents.size() + 8)), str(id), be(version), contents});
}
Bytes plain(const std::string& id, const Bytes& contents)
{
    return cat({str(id), be(std::uint32_t(contents.size())), contents});
}
Bytes lestr(const std::string& s)
{
    return cat({le(std::uint32_t(s.size())), str(s)});
}

// VERS, NAME, INFO{WARN, OWNR}: 16 + 25 + 12 + (8 + 4 + 9) + (8 + 4 + 5) = 91 bytes.
Bytes sampleFile()
{
    return cat({form("VERS", le(512)), form("NAME", str("Velmora2 Mesh")),
                form("INFO", cat({plain("WARN", lestr("two\nlines")), plain("OWNR", cat({le(5), str("kate"), {0}}))}))});
}

class TempFile {
public:
    explicit TempFile(const Bytes& b, const std::string& tag = "f")
    {
        static int counter = 0;
        path_ = testing::TempDir() + "chunkread_" + std::to_string(getpid()) + "_" + tag + std::to_string(counter++);
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// ---- Running the program -------------------------------------------------

struct ProcessResult {
    int status = -1;
    std::string out, err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

ProcessResult runInspect(const std::string& args)
{
    static int counter = 0;
    const std::string base = testing::TempDir() + "vl2inspect_run_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
    const std::string cmd = std::string("'") + VL2_BIN_DIR + "/vl2inspect' " + args + " >'" + base + ".out' 2>'" + base + ".err'";
    ProcessResult r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(base + ".out");
    r.err = slurp(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

// ---- A tiny JSON reader: enough to prove the output parses and to look up keys

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    bool boolean = false;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const
    {
        static const Json none;
        auto it = members.find(key);
        return it == members.end() ? none : it->second;
    }
    const Json& operator[](std::size_t i) const
    {
        static const Json none;
        return i < items.size() ? items[i] : none;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& s) : s_(s) {}
    bool parse(Json& out)
    {
        if (!value(out))
            return false;
        ws();
        return pos_ == s_.size();
    }

private:
    void ws()
    {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
    }
    bool lit(const char* word)
    {
        const std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0)
            return false;
        pos_ += w.size();
        return true;
    }
    bool string(std::string& out)
    {
        if (pos_ >= s_.size() || s_[pos_] != '"')
            return false;
        ++pos_;
        while (pos_ < s_.size() && s_[pos_] != '"') {
            const unsigned char c = static_cast<unsigned char>(s_[pos_]);
            if (c < 0x20)
                return false; // raw control characters are invalid JSON
            if (c == '\\') {
                if (++pos_ >= s_.size())
                    return false;
                const char e = s_[pos_];
                if (e == 'u') {
                    if (pos_ + 4 >= s_.size())
                        return false;
                    out += static_cast<char>(std::stoi(s_.substr(pos_ + 1, 4), nullptr, 16));
                    pos_ += 4;
                } else if (e == 'n') {
                    out += '\n';
                } else if (e == 't') {
                    out += '\t';
                } else if (e == '"' || e == '\\' || e == '/') {
                    out += e;
                } else {
                    return false;
                }
            } else {
                out += static_cast<char>(c);
            }
            ++pos_;
        }
        if (pos_ >= s_.size())
            return false;
        ++pos_;
        return true;
    }
    bool value(Json& out)
    {
        ws();
        if (pos_ >= s_.size())
            return false;
        const char c = s_[pos_];
        if (c == '{') {
            out.kind = Json::Object;
            ++pos_;
            ws();
            if (pos_ < s_.size() && s_[pos_] == '}')
                return ++pos_, true;
            for (;;) {
                ws();
                std::string key;
                if (!string(key))
                    return false;
                ws();
                if (pos_ >= s_.size() || s_[pos_++] != ':')
                    return false;
                if (!value(out.members[key]))
                    return false;
                ws();
                if (pos_ < s_.size() && s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < s_.size() && s_[pos_++] == '}';
            }
        }
        if (c == '[') {
            out.kind = Json::Array;
            ++pos_;
            ws();
            if (pos_ < s_.size() && s_[pos_] == ']')
                return ++pos_, true;
            for (;;) {
                out.items.emplace_back();
                if (!value(out.items.back()))
                    return false;
                ws();
                if (pos_ < s_.size() && s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                return pos_ < s_.size() && s_[pos_++] == ']';
            }
        }
        if (c == '"') {
            out.kind = Json::String;
            return string(out.text);
        }
        if (lit("true")) {
            out.kind = Json::Bool;
            out.boolean = true;
            return true;
        }
        if (lit("false")) {
            out.kind = Json::Bool;
            return true;
        }
        if (lit("null"))
            return true;
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        out.number = std::strtod(begin, &end);
        if (end == begin || std::isalpha(static_cast<unsigned char>(*begin)))
            return false;
        out.kind = Json::Number;
        pos_ += static_cast<std::size_t>(end - begin);
        return true;
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

Json parseJson(const std::string& text)
{
    Json j;
    JsonParser p(text);
    EXPECT_TRUE(p.parse(j)) << "not valid JSON: " << text.substr(0, 400);
    return j;
}

// ---- Valid files ---------------------------------------------------------

TEST(ChunkReader, SampleTreeWithDecodedFields)
{
    const cr::ChunkFile f = cr::parseChunkBytes(sampleFile());
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.fileSize, 91u);
    ASSERT_EQ(f.chunks.size(), 3u);
    EXPECT_EQ(f.chunkCount(), 5u);

    const cr::Chunk& vers = f.chunks[0];
    EXPECT_EQ(vers.kind, cr::ChunkKind::Form);
    EXPECT_EQ(vers.name, "VERS");
    EXPECT_EQ(vers.size, 8u);
    EXPECT_EQ(vers.offset, 0u);
    EXPECT_EQ(vers.dataOffset, 12u);
    EXPECT_EQ(vers.field("version")->asInt(), 512);
    EXPECT_EQ(f.chunks[1].field("name")->asString(), "Velmora2 Mesh");
    EXPECT_EQ(f.chunks[2].offset, 41u);

    const cr::Chunk* warn = f.find("INFO/WARN");
    ASSERT_NE(warn, nullptr);
    EXPECT_EQ(warn->kind, cr::ChunkKind::Plain);
    EXPECT_EQ(warn->offset, 53u);
    EXPECT_EQ(warn->field("length")->asInt(), 9);
    EXPECT_EQ(warn->field("text")->asString(), "two\nlines");
    const cr::Chunk* owner = f.find("*/OWNR");
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->field("count")->asInt(), 5);
    EXPECT_EQ(owner->field("user")->asString(), "kate");
    EXPECT_EQ(f.find("INFO/ERRR"), nullptr);
    EXPECT_EQ(f.findAll("*").size(), 3u);
    EXPECT_EQ(f.findDeep("OWNR").size(), 1u);
    EXPECT_EQ(f.chunks[2].child("OWNR"), owner);
}

TEST(ChunkReader, DecodersDependOnParentAndVersion)
{
    const Bytes meshV1400 = nrml("BMSH", 1400, cat({le(0), le(0)}));
    const Bytes meshV1300 = nrml("BMSH", 1300, cat({le(0), le(0)}));
    const cr::ChunkFile f = cr::parseChunkBytes(cat({plain("WARN", lestr("top level")), form("INFO", plain("WARN", lestr("w"))),
                                                     meshV1400, meshV1300}));
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_FALSE(f.chunks[0].decoded); // WARN means warnings only inside INFO
    EXPECT_TRUE(f.chunks[0].fields.size() == 0);
    EXPECT_TRUE(f.find("INFO/WARN")->decoded);
    EXPECT_TRUE(f.chunks[2].decoded);
    EXPECT_EQ(f.chunks[2].field("partCount")->asInt(), 0);
    EXPECT_FALSE(f.chunks[3].decoded); // unknown version: shown raw, not guessed at

    std::size_t count = 0;
    const cr::DecoderEntry* table = cr::decoderTable(count);
    ASSERT_GT(count, 0u);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(std::string(table[i].id).size(), 4u) << table[i].description;
}

TEST(ChunkReader, AnyKindMayHoldRawDataOfOddSize)
{
    const cr::ChunkFile f = cr::parseChunkBytes(cat({plain("ODD1", {1, 2, 3}), nrml("RAWN", 3, {9}), plain("EMPT", {})}));
    ASSERT_TRUE(f.ok()) << f.problemText();
    ASSERT_EQ(f.chunks.size(), 3u);
    EXPECT_EQ(f.chunks[0].dataSize, 3u);
    EXPECT_EQ(f.chunks[1].offset, 11u);
    EXPECT_EQ(f.chunks[1].version, 3u);
    EXPECT_EQ(f.chunks[1].dataSize, 1u);
    EXPECT_EQ(f.chunks[2].offset, 28u);
}

// ---- Broken files ----------------------------------------------------------

// The container has no file header or trailer: a cut exactly between two
// top-level chunks leaves a valid shorter file. Every other cut is caught.
const std::vector<std::size_t> kSampleTopLevelEnds = {16, 41};

TEST(ChunkReader, EveryTruncationOfTheSampleIsRejected)
{
    const Bytes whole = sampleFile();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const cr::ChunkFile f = cr::parseChunkBytes(Bytes(whole.begin(), whole.begin() + long(n)));
        if (std::find(kSampleTopLevelEnds.begin(), kSampleTopLevelEnds.end(), n) != kSampleTopLevelEnds.end()) {
            EXPECT_TRUE(f.ok()) << n << ": " << f.problemText();
            continue;
        }
        ASSERT_FALSE(f.ok()) << "truncated to " << n << " bytes";
        EXPECT_LE(f.problems.front().offset, n);
        EXPECT_FALSE(f.problems.front().message.empty());
    }
}

struct BadCase {
    const char* name;
    Bytes bytes;
    std::uint64_t offset;    // of the first problem
    const char* message;     // part of its message
};

std::vector<BadCase> badCases()
{
    const Bytes vers = form("VERS", le(512));
    Bytes childTooBig = form("HVMD", plain("SIMP", Bytes(10, 0)));
    childTooBig[12 + 7] = 11; // the SIMP claims one byte more than its parent holds
    Bytes hugeSize = vers;
    hugeSize[4] = hugeSize[5] = hugeSize[6] = hugeSize[7] = 0xFF;
    Bytes deep;
    for (int i = 0; i < 300; ++i)
        deep = form("DEEP", deep);
    return {
        {"empty file", {}, 0, "empty"},
        {"foreign file (PNG)", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0}, 0, "not a chunk file"},
        {"text file", str("hello\x01\x02\x03 world"), 0, "declares size 1862337027 but only 6"},
        {"header cut short", cat({vers, str("FORM")}), 16, "truncated chunk header"},
        {"size past end of file", cat({str("FORM"), be(100), str("HVMD")}), 0, "FORM 'HVMD' declares size 100 but only 4 byte(s) remain in the file"},
        {"size 0xFFFFFFFF", hugeSize, 0, "declares size 4294967295"},
        {"child overflows parent", childTooBig, 12, "remain in 'HVMD'"},
        {"trailing bytes", cat({vers, {1, 2, 3}}), 16, "truncated chunk header: 3 byte(s)"},
        {"trailing garbage", cat({vers, Bytes(12, 0xEE)}), 16, "not a chunk identifier"},
        {"FORM too small", cat({str("FORM"), be(2), str("AB")}), 0, "too small"},
        {"NRML too small", cat({str("NRML"), be(4), str("BMSH")}), 0, "too small"},
        {"FORM id not text", cat({str("FORM"), be(4), {0, 1, 2, 3}}), 8, "not a chunk identifier"},
        {"VERS too short", form("VERS", {2, 0}), 12, "version needs 4 byte(s)"},
        {"VERS too long", form("VERS", cat({le(512), {0}})), 16, "1 byte(s) left"},
        {"WARN length wrong", form("INFO", plain("WARN", cat({le(50), str("short")}))), 20, "does not match"},
        {"OWNR count too big", form("INFO", plain("OWNR", cat({le(40), str("kate"), {0}}))), 20, "exceeds"},
        {"OWNR unterminated", form("INFO", plain("OWNR", cat({le(4), str("kate")}))), 27, "not terminated"},
        {"HIER count huge", plain("HIER", le(0xFFFFFFFF)), 12, "does not fit"},
        {"SIMP vertex count huge", plain("SIMP", cat({lestr("x"), le(0x10000000)})), 17, "does not fit"},
        {"BMSH index past vertices", nrml("BMSH", 1400, cat({le(0), le(1), le(0), le(0x1), le(1), Bytes(16, 0),
                                                             {1, 0}, le(514), le(1), {1, 0}})),
         62, "not below"},
        {"BMSH unknown format bits", nrml("BMSH", 1400, cat({le(0), le(1), le(0), le(0x80), le(0), {0, 0}})), 28,
         "unknown bits"},
        {"MULT level count wrong", nrml("MULT", 1400, cat({lestr("m"), lestr("p"), le(2), nrml("BMSH", 1400, cat({le(0), le(0)}))})),
         26, "level count 2 but 1"},
        {"nesting too deep", deep, 0, "nested deeper than"},
    };
}

TEST(ChunkReader, BrokenFilesAreReportedWithTheirOffset)
{
    for (const BadCase& c : badCases()) {
        const cr::ChunkFile f = cr::parseChunkBytes(c.bytes);
        ASSERT_FALSE(f.ok()) << c.name;
        const cr::Problem& p = f.problems.front();
        if (std::string(c.name) != "nesting too deep") {
            EXPECT_EQ(p.offset, c.offset) << c.name << ": " << f.problemText();
        }
        EXPECT_NE(p.message.find(c.message), std::string::npos) << c.name << ": " << f.problemText();
    }
}

TEST(ChunkReader, SiblingsAfterABrokenChildAreStillRead)
{
    Bytes broken = form("HVMD", plain("SIMP", Bytes(4, 0)));
    broken[12 + 7] = 200;
    const cr::ChunkFile f = cr::parseChunkBytes(cat({broken, form("VERS", le(512))}));
    ASSERT_EQ(f.problems.size(), 1u);
    ASSERT_EQ(f.chunks.size(), 2u);
    EXPECT_EQ(f.chunks[1].field("version")->asInt(), 512);
}

TEST(ChunkReader, UnreadableAndOversizedFiles)
{
    const cr::ChunkFile missing = cr::readChunkFile(testing::TempDir() + "no_such_file.vlm");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.problemText().find("cannot open"), std::string::npos);

    TempFile file(sampleFile());
    cr::ReadOptions small;
    small.maxFileSize = 50;
    const cr::ChunkFile big = cr::readChunkFile(file.path(), small);
    ASSERT_FALSE(big.ok());
    EXPECT_NE(big.problemText().find("larger than"), std::string::npos);
    EXPECT_TRUE(cr::readChunkFile(file.path()).ok());
}

TEST(ChunkReader, DecodeLimitListsChunksWithoutFields)
{
    cr::ReadOptions opts;
    opts.maxDecodedBytes = 20;
    const cr::ChunkFile f = cr::parseChunkBytes(sampleFile(), opts);
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_TRUE(f.chunks[0].decoded);  // 4 bytes
    EXPECT_TRUE(f.chunks[1].decoded);  // 13 bytes
    EXPECT_FALSE(f.find("INFO/WARN")->decoded); // 13 more would pass the limit
    EXPECT_NE(f.find("INFO/WARN")->decoder.find("decode limit"), std::string::npos);
}

// A file with every decoded kind, for corruption runs.
Bytes richFile()
{
    const Bytes vertex = Bytes(40, 0);
    const Bytes bmsh0 = nrml("BMSH", 1400, cat({le(0), le(1), le(2), le(0x1B), le(2), vertex, vertex, {1, 0}, le(514),
                                                 le(3), {0, 0, 1, 0, 1, 0}}));
    const Bytes bmsh1 = nrml("BMSH", 1400, cat({le(1), le(0)}));
    return cat({sampleFile(),
                form("HVMD", cat({nrml("MULT", 1400, cat({lestr("Root_mesh"), lestr("Root"), le(2), bmsh0, bmsh1})),
                                  plain("SIMP", cat({lestr("s"), le(1), vertex, le(3), le(0), le(0), le(0)})),
                                  plain("BADD", str("face 1 index mismatch.\n"))})),
                form("DTRM", plain("HIER", cat({le(1), lestr("Root"), lestr(""), Bytes(48, 0), {1, 1, 1}})))});
}

// Checking decodes every chunk, also past the decode limit, so the mesh index
// and level checks run on any file, and keeps no decoded values behind.
TEST(ChunkReader, CheckOnlyDecodesPastTheLimitAndKeepsNoFields)
{
    auto level = [](std::uint32_t number, std::uint8_t index) {
        return nrml("BMSH", 1400, cat({le(number), le(1), le(0), le(0x1), le(1), Bytes(16, 0), {1, 0}, le(514), le(1),
                                       {index, 0}}));
    };
    const Bytes good = richFile();
    struct Case {
        const char* name;
        Bytes tail;
        const char* message;
    } cases[] = {
        {"index past the vertices", form("HVMD", nrml("MULT", 1400, cat({lestr("m"), lestr("p"), le(1), level(0, 1)}))),
         "index 1 is not below the part's 1 vertices"},
        {"level misnumbered", form("HVMD", nrml("MULT", 1400, cat({lestr("m"), lestr("p"), le(1), level(5, 0)}))),
         "level 0 is numbered 5"},
        {"top-level basic mesh", level(0, 3), "index 3 is not below"},
    };
    cr::ReadOptions limited;
    limited.maxDecodedBytes = 64; // spent on the valid chunks in front
    cr::ReadOptions check = limited;
    check.checkOnly = true;
    for (const Case& c : cases) {
        const Bytes file = cat({good, c.tail});
        EXPECT_TRUE(cr::parseChunkBytes(file, limited).ok()) << c.name; // listed, not decoded
        const cr::ChunkFile f = cr::parseChunkBytes(file, check);
        ASSERT_FALSE(f.ok()) << c.name;
        EXPECT_NE(f.problemText().find(c.message), std::string::npos) << c.name << ": " << f.problemText();
    }

    const cr::ChunkFile g = cr::parseChunkBytes(good, check);
    ASSERT_TRUE(g.ok()) << g.problemText();
    ASSERT_EQ(g.findDeep("BMSH").size(), 2u);
    for (const cr::Chunk* c : g.findDeep("BMSH")) {
        EXPECT_TRUE(c->decoded);
        EXPECT_EQ(c->fields.size(), 0u);
    }
    EXPECT_TRUE(g.find("HVMD/MULT")->decoded);
    EXPECT_EQ(g.find("HVMD/MULT")->fields.size(), 0u);
}

TEST(ChunkReader, RandomCorruptionsAreReportedNeverCrash)
{
    const Bytes rich = richFile();
    {
        const cr::ChunkFile f = cr::parseChunkBytes(rich);
        ASSERT_TRUE(f.ok()) << f.problemText();
        ASSERT_TRUE(f.find("HVMD/MULT")->decoded);
        ASSERT_EQ(f.find("HVMD/MULT")->children.size(), 2u);
    }
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        Bytes b = rich;
        const int edits = 1 + int(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = next() % b.size();
            switch (next() % 3) {
            case 0:
                b[at] = std::uint8_t(next());
                break;
            case 1:
                b[at] = 0xFF;
                break;
            default:
                b.resize(at + 1);
                break;
            }
        }
        const cr::ChunkFile f = cr::parseChunkBytes(b);
        std::ostringstream text;
        cr::printTree(f, text);
        const std::string json = cr::toJson(f);
        Json j;
        JsonParser parser(json);
        ASSERT_TRUE(parser.parse(j)) << "round " << round;
        EXPECT_EQ(j["ok"].boolean, f.ok());
    }
}

// ---- Views ------------------------------------------------------------------

TEST(ChunkReader, TextTreeShowsKindIdSizeOffsetAndFields)
{
    const cr::ChunkFile f = cr::parseChunkBytes(cat({sampleFile(), nrml("RAWN", 7, {0xAB, 0xCD})}));
    std::ostringstream out;
    cr::printTree(f, out);
    const std::string t = out.str();
    for (const char* line : {"FORM VERS size 8 at 0", "  version: 512\n", "  name: \"Velmora2 Mesh\"\n",
                             "FORM INFO size 42 at 41", "  plain WARN size 13 at 53", "    text: \"two\\nlines\"\n",
                             "    user: \"kate\"\n", "NRML RAWN version 7 size 10 at 91", "  data: 2 byte(s): AB CD\n"})
        EXPECT_NE(t.find(line), std::string::npos) << line << "\nin:\n" << t;
}

TEST(ChunkReader, LongListsAreShortenedUnlessFull)
{
    Bytes indices;
    for (std::uint32_t i = 0; i < 40; ++i)
        indices = cat({indices, le(i)});
    const cr::ChunkFile f = cr::parseChunkBytes(plain("SIMP", cat({lestr("p"), le(0), le(40), indices})));
    ASSERT_TRUE(f.ok()) << f.problemText();
    std::ostringstream shortView, fullView;
    cr::printTree(f, shortView);
    cr::RenderOptions full;
    full.full = true;
    cr::printTree(f, fullView, full);
    EXPECT_NE(shortView.str().find("15, ... (24 more)]"), std::string::npos) << shortView.str();
    EXPECT_NE(fullView.str().find("38, 39]"), std::string::npos) << fullView.str();
}

TEST(ChunkReader, JsonParsesAndCarriesFields)
{
    const Bytes bytes = cat({sampleFile(), plain("HIER", cat({le(1), lestr("Root"), lestr(""), Bytes(48, 0), {1, 1, 0}})),
                             plain("BIN ", {0x00, 0xFF, '"', '\\'})});
    const cr::ChunkFile f = cr::parseChunkBytes(bytes);
    ASSERT_TRUE(f.ok()) << f.problemText();
    const Json j = parseJson(cr::toJson(f));
    EXPECT_TRUE(j["ok"].boolean);
    EXPECT_EQ(j["size"].number, double(bytes.size()));
    EXPECT_EQ(j["chunks"][0]["kind"].text, "FORM");
    EXPECT_EQ(j["chunks"][0]["id"].text, "VERS");
    EXPECT_EQ(j["chunks"][0]["fields"]["version"].number, 512);
    EXPECT_EQ(j["chunks"][2]["children"][0]["fields"]["text"].text, "two\nlines");
    EXPECT_EQ(j["chunks"][2]["children"][1]["offset"].number, 74);
    EXPECT_EQ(j["chunks"][3]["fields"]["joints"][0]["name"].text, "Root");
    EXPECT_EQ(j["chunks"][3]["fields"]["joints"][0]["dof"][2].number, 0);
    EXPECT_EQ(j["chunks"][4]["preview"].text, "00 FF 22 5C");
}

TEST(ChunkReader, JsonOfBrokenFileListsProblems)
{
    const Json j = parseJson(cr::toJson(cr::parseChunkBytes(cat({form("VERS", le(512)), {1, 2, 3}}))));
    EXPECT_EQ(j["ok"].kind, Json::Bool);
    EXPECT_FALSE(j["ok"].boolean);
    EXPECT_EQ(j["problems"][0]["offset"].number, 16);
    EXPECT_EQ(j["chunks"].items.size(), 1u);
}

TEST(ChunkReader, FloatsPrintShortestExactText)
{
    EXPECT_EQ(cr::formatFloat(1.0), "1");
    EXPECT_EQ(cr::formatFloat(double(0.1f)), "0.1");
    EXPECT_EQ(cr::formatFloat(double(-2.5f)), "-2.5");
    EXPECT_EQ(cr::formatFloat(10.0), "10");
    EXPECT_EQ(cr::formatFloat(20000.0), "20000");
    EXPECT_EQ(cr::formatFloat(1e20), "1e+20");
    EXPECT_EQ(std::strtof(cr::formatFloat(double(1.0f / 3.0f)).c_str(), nullptr), 1.0f / 3.0f);
}

// ---- The program -------------------------------------------------------------

TEST(Vl2Inspect, TreeOfAValidFile)
{
    TempFile file(sampleFile());
    const ProcessResult r = runInspect("'" + file.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("FORM VERS size 8 at 0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("user: \"kate\""), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(Vl2Inspect, CheckAcceptsValidAndRejectsEveryTruncation)
{
    const Bytes whole = sampleFile();
    TempFile good(whole);
    const ProcessResult ok = runInspect("--check '" + good.path() + "'");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.out.find("ok, 5 chunk(s), 91 byte(s)"), std::string::npos) << ok.out;

    for (std::size_t n = 0; n < whole.size(); ++n) {
        TempFile cut(Bytes(whole.begin(), whole.begin() + long(n)), "cut");
        const ProcessResult r = runInspect("--check '" + cut.path() + "'");
        if (std::find(kSampleTopLevelEnds.begin(), kSampleTopLevelEnds.end(), n) != kSampleTopLevelEnds.end()) {
            EXPECT_EQ(r.status, 0) << n << ": " << r.err;
            continue;
        }
        EXPECT_EQ(r.status, 1) << n;
        EXPECT_NE(r.err.find("offset "), std::string::npos) << n << ": " << r.err;
        EXPECT_EQ(r.out, "") << n;
    }
}

TEST(Vl2Inspect, CheckNamesTheOffsetOfEachBrokenCase)
{
    for (const BadCase& c : badCases()) {
        TempFile file(c.bytes, "bad");
        const ProcessResult r = runInspect("--check '" + file.path() + "'");
        EXPECT_EQ(r.status, 1) << c.name;
        if (std::string(c.name) != "nesting too deep") {
            EXPECT_NE(r.err.find("offset " + std::to_string(c.offset) + ": "), std::string::npos) << c.name << ": " << r.err;
        }
    }
}

TEST(Vl2Inspect, JsonOutputParses)
{
    TempFile file(sampleFile());
    const ProcessResult r = runInspect("--json '" + file.path() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    const Json j = parseJson(r.out);
    EXPECT_EQ(j["file"].text, file.path());
    EXPECT_EQ(j["chunks"][1]["fields"]["name"].text, "Velmora2 Mesh");
    EXPECT_EQ(j["chunks"][2]["children"][1]["id"].text, "OWNR");
}

TEST(Vl2Inspect, UsageErrorsAndMissingFiles)
{
    EXPECT_EQ(runInspect("").status, 2);
    EXPECT_EQ(runInspect("--no-such-flag x").status, 2);
    const ProcessResult missing = runInspect("'" + testing::TempDir() + "does_not_exist.vlm'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;
}

TEST(Vl2Inspect, LayeredImagesGoToTheirView)
{
    const unsigned char psd[4] = {'8', 'B', 'P', 'S'};
    EXPECT_EQ(vl2::inspect::detectFileType(psd, 4), vl2::inspect::FileType::LayeredImage);
    EXPECT_EQ(vl2::inspect::detectFileType(psd, 3), vl2::inspect::FileType::Chunks);
#ifndef VL2_HAVE_LAYERED_IMAGE_VIEW
    TempFile file(cat({str("8BPS"), {0, 1}, Bytes(20, 0)}), "psd");
    const ProcessResult r = runInspect("'" + file.path() + "'");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("layered images: not supported in this build"), std::string::npos) << r.err;
#endif
}

} // namespace
