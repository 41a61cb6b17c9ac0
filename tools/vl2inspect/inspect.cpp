#include "inspect.h"

#include "chunkread/ChunkReader.h"
#include "chunkread/Render.h"
#include "layered_hook.h"

#include <cstdio>
#include <cstring>

namespace vl2::inspect {

FileType detectFileType(const unsigned char* bytes, std::size_t count)
{
    if (count >= 4 && std::memcmp(bytes, "8BPS", 4) == 0)
        return FileType::LayeredImage;
    return FileType::Chunks;
}

int inspectChunkFile(const std::string& path, const InspectOptions& opts, std::ostream& out, std::ostream& err)
{
    chunkread::ReadOptions read;
    read.checkOnly = opts.check && !opts.json;
    const chunkread::ChunkFile file = chunkread::readChunkFile(path, read);
    if (opts.json) {
        chunkread::writeJson(file, out);
    } else if (opts.check) {
        if (file.ok())
            out << path << ": ok, " << file.chunkCount() << " chunk(s), " << file.fileSize << " byte(s)\n";
    } else {
        chunkread::RenderOptions render;
        render.full = opts.full;
        chunkread::printTree(file, out, render);
    }
    for (const chunkread::Problem& p : file.problems)
        err << "vl2inspect: " << path << ": offset " << p.offset << ": " << p.message << '\n';
    return file.ok() ? kExitOk : kExitBadFile;
}

int inspectFile(const std::string& path, const InspectOptions& opts, std::ostream& out, std::ostream& err)
{
    unsigned char head[4] = {};
    std::size_t got = 0;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        got = std::fread(head, 1, sizeof head, f);
        std::fclose(f);
    }
    // Unopenable files go to the chunk reader, which words the error.
    if (detectFileType(head, got) == FileType::LayeredImage) {
#ifdef VL2_HAVE_LAYERED_IMAGE_VIEW
        return inspectLayeredImage(path, opts, out);
#else
        err << "layered images: not supported in this build\n";
        return kExitUnsupported;
#endif
    }
    return inspectChunkFile(path, opts, out, err);
}

} // namespace vl2::inspect
