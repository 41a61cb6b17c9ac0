#include "chunkread/Decoders.h"

#include <cstring>

namespace vl2::chunkread {

namespace {

using K = ChunkKind;
using C = Contents;

// One line per chunk kind the inspector understands. Entries with a parent or
// a version are preferred over wildcard entries for the same identifier.
const DecoderEntry kTable[] = {
    // Standard chunks of every model file.
    {K::Form, "VERS", nullptr, 0, C::Data, decoders::version, "file version"},
    {K::Form, "NAME", nullptr, 0, C::Data, decoders::name, "file name"},
    {K::Plain, "BADD", nullptr, 0, C::Data, decoders::badData, "bad data report"},
    // Top-level sections.
    {K::Form, "HVMD", nullptr, 0, C::Chunks, nullptr, "model data"},
    {K::Form, "DTRM", nullptr, 0, C::Chunks, nullptr, "details"},
    {K::Form, "INFO", nullptr, 0, C::Chunks, nullptr, "export information"},
    {K::Plain, "WARN", "INFO", 0, C::Data, decoders::messageText, "warnings"},
    {K::Plain, "ERRR", "INFO", 0, C::Data, decoders::messageText, "errors"},
    {K::Plain, "OWNR", "INFO", 0, C::Data, decoders::owner, "owner"},
    // Skeleton and meshes.
    {K::Plain, "HIER", nullptr, 0, C::Data, decoders::hierarchy, "joint hierarchy"},
    {K::Plain, "SIMP", nullptr, 0, C::Data, decoders::simpleMesh, "simple mesh"},
    {K::Nrml, "BMSH", nullptr, 1400, C::Data, decoders::basicMesh, "basic mesh"},
    {K::Nrml, "MULT", nullptr, 1400, C::Data, decoders::multiMesh, "multi mesh"},
    // Materials, lights and textures.
    {K::Nrml, "STAT", nullptr, 1001, C::Data, decoders::material, "material"},
    {K::Plain, "LITE", nullptr, 0, C::Data, decoders::lights, "lights"},
    {K::Plain, "LMIP", nullptr, 0, C::Data, decoders::texture, "texture"},
};

bool idIs(const char* text, std::uint32_t id)
{
    return std::strlen(text) == 4 && idFromText(text) == id;
}

} // namespace

const DecoderEntry* decoderTable(std::size_t& count)
{
    count = sizeof kTable / sizeof kTable[0];
    return kTable;
}

const DecoderEntry* findDecoder(ChunkKind kind, std::uint32_t id, const Chunk* parent, std::uint32_t version)
{
    const DecoderEntry* best = nullptr;
    int bestScore = -1;
    for (const DecoderEntry& entry : kTable) {
        if (entry.kind != kind || !idIs(entry.id, id))
            continue;
        int score = 0;
        if (entry.parent != nullptr) {
            if (parent == nullptr || !idIs(entry.parent, parent->id))
                continue;
            score += 2;
        }
        if (entry.version != 0) {
            if (entry.version != version)
                continue;
            score += 1;
        }
        if (score > bestScore) {
            best = &entry;
            bestScore = score;
        }
    }
    return best;
}

} // namespace vl2::chunkread
