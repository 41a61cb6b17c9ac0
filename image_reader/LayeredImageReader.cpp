// Layered image (".psd") reader for the host image library. It reads only the
// flattened image stored at the end of the file, never the layers: 8-bit
// greyscale, indexed and RGB files, greyscale and indexed through the colour
// lookup table. Every table entry is checked against the file's size before
// anything is allocated or read.
#include <imf/imf_plugin.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

extern "C" {
const char program[] = "Tidemark";
const char version[] = "3.2";
const char type[] = "image";
const char imageKey[] = "psd";
const char imageExtension[] = ".psd";
const char imageName[] = "PhotoShop PSD";
const char imageFormatString[] = "%s.%04.4d%s";
const char imageNameSyntax[] = "Name.####.Ext";
const int imageAddExtension = 1;
const int imageUsage = 1;
const int imageOrientation = 1;
const int imageNumberOfChannels = 3;
const int imageBitsPerChannel = 0x80;
const int imageNumberOfMattes = 1;
const int imageBitsPerMatte = 0x80;
const int imageAccess = 0x14;
const int imageNumberOfLuts = 0;
const int imageBitsPerLut = 0;
const int imageNumberOfZChannels = 0;
const int imageBitsPerZChannel = 0;
const int imageSupportsActiveWindow = 0;
}

namespace {

constexpr int kModeGrey = 1, kModeIndexed = 2, kModeRgb = 3;
constexpr int kMaxSide = 30000;

struct RowEntry {
    long offset;
    std::uint32_t length;
};

struct PsdReader {
    std::FILE* file = nullptr;
    long fileSize = 0;
    int channels = 0, rows = 0, columns = 0, depth = 0, mode = 0;
    int compression = 0;
    std::vector<RowEntry> table;  // channel by channel, row by row
    std::vector<std::uint8_t> packed;
    std::vector<std::uint8_t> index;  // greyscale / indexed values of one row
    std::uint8_t lut[3][256];
    void** buffers = nullptr;     // colours then mattes
    int mattes = 0;
};

struct ReadError {};

void readExact(std::FILE* f, void* out, std::size_t n)
{
    if (std::fread(out, 1, n, f) != n)
        throw ReadError{};
}

std::uint16_t readU16(std::FILE* f)
{
    std::uint8_t b[2];
    readExact(f, b, 2);
    return std::uint16_t(b[0] << 8 | b[1]);
}

std::uint32_t readU32(std::FILE* f)
{
    std::uint8_t b[4];
    readExact(f, b, 4);
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
}

// Skips n bytes, which must lie within the file.
void skip(PsdReader& s, std::uint32_t n)
{
    const long at = std::ftell(s.file);
    if (at < 0 || std::uint64_t(at) + n > std::uint64_t(s.fileSize) || std::fseek(s.file, long(n), SEEK_CUR) != 0)
        throw ReadError{};
}

void releaseReader(PsdReader* s)
{
    if (!s)
        return;
    if (s->buffers)
        IMF_chan_free(s->buffers);
    if (s->file)
        std::fclose(s->file);
    delete s;
}

std::FILE* openImageFile(IMF_OBJECT* imf)
{
    if (imf->full_path) {
        std::FILE* f = std::fopen(imf->name, "rb");
        if (!f)
            ERR_printf(ERR_ERROR, "psd_open, can't open file %s. %s\n", imf->name, std::strerror(errno));
        return f;
    }
    char path[2048];
    const char* built = imf__build_handle(nullptr, imf, path, sizeof path);
    std::FILE* f = built ? std::fopen(built, "rb") : nullptr;
    if (f)
        return f;
    const char* dir = imf__img_dir();
    if (dir) {
        built = imf__build_handle(dir, imf, path, sizeof path);
        f = built ? std::fopen(built, "rb") : nullptr;
        if (f)
            return f;
    }
    ERR_printf(ERR_ERROR, "psd_open, can't open file %s. %s\n", built ? path : imf->name, std::strerror(errno));
    return nullptr;
}

// PackBits row decoding: n >= 0 copies n + 1 bytes, -128 is no operation,
// other negative n repeat the next byte 1 - n times. Never writes past the
// row; reports a row that does not come out exactly `width` bytes long.
void unpackRow(const std::uint8_t* in, std::size_t size, std::uint8_t* out, int width)
{
    long produced = 0;
    std::size_t i = 0;
    while (i < size) {
        const int n = static_cast<std::int8_t>(in[i++]);
        if (n >= 0) {
            for (int k = 0; k <= n && i < size; ++k, ++i, ++produced)
                if (produced < width)
                    out[produced] = in[i];
        } else if (n != -128) {
            if (i >= size)
                break;
            const std::uint8_t v = in[i++];
            for (int k = 0; k < 1 - n; ++k, ++produced)
                if (produced < width)
                    out[produced] = v;
        }
    }
    if (produced != width)
        ERR_printf(ERR_ERROR, "glitch in psd_unpack_bits, expected = %d\n", int(width - produced));
}

bool readChannelRow(PsdReader& s, int channel, int fileRow, std::uint8_t* out)
{
    const RowEntry& e = s.table[std::size_t(channel) * std::size_t(s.rows) + std::size_t(fileRow)];
    if (std::fseek(s.file, e.offset, SEEK_SET) != 0)
        return false;
    if (s.compression == 0)
        return std::fread(out, 1, std::size_t(s.columns), s.file) == std::size_t(s.columns);
    if (std::fread(s.packed.data(), 1, e.length, s.file) != e.length)
        return false;
    unpackRow(s.packed.data(), e.length, out, s.columns);
    return true;
}

int scanRead(IMF_OBJECT* imf, int row, void*** lineBuffers)
{
    PsdReader& s = *static_cast<PsdReader*>(imf->data);
    if (row < 0 || row >= s.rows) {
        ERR_printf(ERR_ERROR, "psd_scan_read, bad scan, %d\n", row);
        return IMF_C_BAD_SCAN;
    }
    const int fileRow = s.rows - 1 - row;
    auto** buf = reinterpret_cast<std::uint8_t**>(s.buffers);
    bool ok = true;
    if (s.mode == kModeRgb) {
        for (int c = 0; c < s.channels && ok; ++c)
            ok = readChannelRow(s, c, fileRow, buf[c]);
    } else {
        ok = readChannelRow(s, 0, fileRow, s.index.data());
        for (int x = 0; x < s.columns && ok; ++x)
            for (int c = 0; c < 3; ++c)
                buf[c][x] = s.lut[c][s.index[std::size_t(x)]];
        for (int c = 1; c < s.channels && ok; ++c)
            ok = readChannelRow(s, c, fileRow, buf[2 + c]);
    }
    if (!ok) {
        ERR_printf(ERR_ERROR, "psd_scan_read, random file read error\n");
        return IMF_C_READ_ERR;
    }
    if (lineBuffers)
        *lineBuffers = s.buffers;
    return IMF_C_NORMAL;
}

int closeRead(IMF_OBJECT* imf)
{
    releaseReader(static_cast<PsdReader*>(imf->data));
    imf->data = nullptr;
    imf__free_obj(imf);
    return 0;
}

}  // namespace

extern "C" {

int imageInit(void)
{
    return 1;
}

int imageIsFile(const char* name, FILE* file)
{
    std::FILE* f = file;
    if (f) {
        std::rewind(f);
    } else {
        f = std::fopen(name, "rb");
        if (!f) {
            ERR_printf(ERR_ERROR, "imageIsFile, can't open `%s'. %s\n", name, std::strerror(errno));
            return 0;
        }
    }
    std::uint8_t head[6];
    const bool ok = std::fread(head, 1, 6, f) == 6 && std::memcmp(head, "8BPS", 4) == 0 && head[4] == 0 && head[5] == 1;
    if (!file)
        std::fclose(f);
    return ok ? 1 : 0;
}

int imageReadOpen(IMF_OBJECT* imf)
{
    imf__init_ifd(imf);
    PsdReader* s = new (std::nothrow) PsdReader;
    if (!s) {
        ERR_printf(ERR_ERROR, "imageReadOpen, insufficient memory when reading file. %s\n", std::strerror(ENOMEM));
        return 0;
    }
    s->file = openImageFile(imf);
    if (!s->file) {
        releaseReader(s);
        return 0;
    }
    try {
        if (std::fseek(s->file, 0, SEEK_END) != 0 || (s->fileSize = std::ftell(s->file)) < 0 ||
            std::fseek(s->file, 0, SEEK_SET) != 0)
            throw ReadError{};
        char signature[4];
        readExact(s->file, signature, 4);
        const std::uint16_t fileVersion = readU16(s->file);
        if (std::memcmp(signature, "8BPS", 4) != 0 || fileVersion != 1) {
            ERR_printf(ERR_ERROR, "imageReadOpen, not a `%s' image file.\n", imageName);
            releaseReader(s);
            return 0;
        }
        skip(*s, 6);
        s->channels = readU16(s->file);
        s->rows = int(readU32(s->file));
        s->columns = int(readU32(s->file));
        s->depth = readU16(s->file);
        s->mode = readU16(s->file);
        const int colourChannels = s->mode == kModeRgb ? 3 : 1;
        if (s->depth != 8 || (s->mode != kModeGrey && s->mode != kModeIndexed && s->mode != kModeRgb) ||
            s->channels < colourChannels || s->channels > 56 || s->rows < 1 || s->columns < 1 ||
            s->rows > kMaxSide || s->columns > kMaxSide) {
            ERR_printf(ERR_ERROR, "imageReadOpen, not a supported PSD file subtype\n");
            releaseReader(s);
            return 0;
        }
        s->mattes = s->channels - colourChannels;

        IMF_IMAGE& image = imf->image;
        image.window = {0, 0, s->columns - 1, s->rows - 1};
        image.active = image.window;
        image.aspect_name = "standard aspect";
        image.aspect_ratio = double(s->columns) / double(s->rows);
        image.chan_count = 3;
        image.chan_bits = 8;
        image.chan_format = "rgb";
        image.matte_count = s->mattes;
        image.matte_bits = 8;
        image.matte_format = "matte";
        image.job = "None";
        image.scene = "None";
        image.software = "Adobe Photoshop";
        image.user = "unknown";
        image.date = "unknown";
        image.time = "unknown";
        image.comment = "unknown";
        image.compression = "none";
        s->buffers = IMF_chan_alloc(3 + s->mattes, s->columns, 1);
        try {
            s->index.resize(std::size_t(s->columns));
        } catch (const std::bad_alloc&) {
            if (s->buffers)
                IMF_chan_free(s->buffers);
            s->buffers = nullptr;
        }
        if (!s->buffers) {
            ERR_printf(ERR_ERROR, "imageReadOpen, insufficient memory when reading file. %s\n", std::strerror(ENOMEM));
            releaseReader(s);
            return 0;
        }

        const std::uint32_t colourData = readU32(s->file);
        if (colourData == 0) {
            for (int i = 0; i < 256; ++i)
                s->lut[0][i] = s->lut[1][i] = s->lut[2][i] = std::uint8_t(i);
        } else if (colourData == 768) {
            readExact(s->file, s->lut, sizeof s->lut);
        } else {
            throw ReadError{};
        }
        skip(*s, readU32(s->file));  // image resources
        skip(*s, readU32(s->file));  // layer and mask information

        s->compression = readU16(s->file);
        const std::size_t entries = std::size_t(s->channels) * std::size_t(s->rows);
        long offset = std::ftell(s->file);
        if (offset < 0)
            throw ReadError{};
        if (s->compression == 1) {
            // The row table itself must be in the file before it is allocated.
            if (std::uint64_t(offset) + 2 * std::uint64_t(entries) > std::uint64_t(s->fileSize))
                throw ReadError{};
            std::vector<std::uint8_t> raw(entries * 2);
            readExact(s->file, raw.data(), raw.size());
            s->table.resize(entries);
            offset += long(raw.size());
            std::uint32_t longest = 0;
            for (std::size_t i = 0; i < entries; ++i) {
                const std::uint32_t length = std::uint32_t(raw[2 * i] << 8 | raw[2 * i + 1]);
                s->table[i] = {offset, length};
                offset += long(length);
                longest = std::max(longest, length);
            }
            if (offset > s->fileSize)
                throw ReadError{};
            s->packed.resize(longest);
        } else if (s->compression == 0) {
            if (std::uint64_t(offset) + std::uint64_t(entries) * std::uint64_t(s->columns) > std::uint64_t(s->fileSize))
                throw ReadError{};
            s->table.resize(entries);
            for (std::size_t i = 0; i < entries; ++i) {
                s->table[i] = {offset, std::uint32_t(s->columns)};
                offset += s->columns;
            }
        } else {
            throw ReadError{};
        }
    } catch (const ReadError&) {
        ERR_printf(ERR_ERROR, "imageReadOpen, random file read error\n");
        releaseReader(s);
        imf->scan = nullptr;
        imf->close = nullptr;
        return 0;
    } catch (const std::bad_alloc&) {
        ERR_printf(ERR_ERROR, "imageReadOpen, insufficient memory when reading file. %s\n", std::strerror(ENOMEM));
        releaseReader(s);
        imf->scan = nullptr;
        imf->close = nullptr;
        return 0;
    }
    imf->data = s;
    imf->scan = &scanRead;
    imf->close = &closeRead;
    return 1;
}

}  // extern "C"
