#include "chunk/StandardChunks.h"

#include "chunk/ChunkWriter.h"
#include "runlog/RunLog.h"

#include <cstring>

namespace vl2 {

namespace {

bool writeCharacters(ChunkWriter& writer, const char* text)
{
    return text == nullptr || writer.writeBytes(text, 1, std::strlen(text));
}

} // namespace

bool writeVersionChunk(ChunkWriter& writer)
{
    logMessage(0, "version chunk: %d\n", static_cast<int>(kModelFileVersion));
    if (writer.beginForm(fourCC("VERS")) == 0)
        return false;
    const bool ok = writer.writeUInt32(kModelFileVersion);
    writer.endChunk();
    return ok && !writer.failed();
}

bool writeNameChunk(ChunkWriter& writer, const char* name)
{
    logMessage(0, "name chunk: %s\n", name != nullptr ? name : "");
    if (writer.beginForm(fourCC("NAME")) == 0)
        return false;
    const bool ok = writeCharacters(writer, name);
    writer.endChunk();
    return ok && !writer.failed();
}

bool writeBadDataChunk(ChunkWriter& writer, const char* text)
{
    logMessage(0, "** BAD chunk: %s **\n", text != nullptr ? text : "");
    if (writer.beginPlainChunk(fourCC("BADD")) == 0)
        return false;
    const bool ok = writeCharacters(writer, text);
    writer.endChunk();
    return ok && !writer.failed();
}

} // namespace vl2
