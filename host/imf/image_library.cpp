// The image library stand-in: format plug-in loading, the library calls the
// plug-ins make, and reading images into RGBA.
#include "imf/image_library.h"

#include <imf/imf.h>

#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>

#ifndef VL2_IMAGE_PLUGIN_DIR
#define VL2_IMAGE_PLUGIN_DIR ""
#endif

namespace vl2imf {
namespace {

using InitProc = int (*)();
using IsFileProc = int (*)(const char*, FILE*);
using ReadOpenProc = int (*)(IMF_OBJECT*);

struct Module {
    FormatInfo info;
    void* handle = nullptr;
    IsFileProc isFile = nullptr;
    ReadOpenProc readOpen = nullptr;
};

std::mutex gMutex;
bool gLoaded = false;
std::vector<Module> gModules;
std::vector<FormatInfo> gInfos;
std::vector<std::string> gMessages;

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string textExport(void* handle, const char* name)
{
    const char* p = static_cast<const char*>(dlsym(handle, name));
    return p ? std::string(p, strnlen(p, 256)) : std::string();
}

int intExport(void* handle, const char* name)
{
    const int* p = static_cast<const int*>(dlsym(handle, name));
    return p ? *p : 0;
}

bool loadModule(const std::string& file, Module& m)
{
    // RTLD_NOW: a module whose library calls cannot be bound is refused here
    // rather than failing in the middle of a read.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::cerr << "image library: cannot load " << file << ": " << dlerror() << "\n";
        return false;
    }
    auto init = reinterpret_cast<InitProc>(dlsym(handle, "imageInit"));
    auto isFile = reinterpret_cast<IsFileProc>(dlsym(handle, "imageIsFile"));
    auto readOpen = reinterpret_cast<ReadOpenProc>(dlsym(handle, "imageReadOpen"));
    if (!isFile || !readOpen || textExport(handle, "type") != "image" || textExport(handle, "imageKey").empty()) {
        std::cerr << "image library: " << file << " is not an image format plug-in\n";
        dlclose(handle);
        return false;
    }
    if (init && init() == 0) {
        std::cerr << "image library: " << file << " failed to initialise\n";
        dlclose(handle);
        return false;
    }
    m.handle = handle;
    m.isFile = isFile;
    m.readOpen = readOpen;
    FormatInfo& i = m.info;
    i.file = file;
    i.program = textExport(handle, "program");
    i.version = textExport(handle, "version");
    i.key = textExport(handle, "imageKey");
    i.extension = textExport(handle, "imageExtension");
    i.name = textExport(handle, "imageName");
    i.formatString = textExport(handle, "imageFormatString");
    i.nameSyntax = textExport(handle, "imageNameSyntax");
    i.addExtension = intExport(handle, "imageAddExtension");
    i.usage = intExport(handle, "imageUsage");
    i.orientation = intExport(handle, "imageOrientation");
    i.channels = intExport(handle, "imageNumberOfChannels");
    i.bitsPerChannel = intExport(handle, "imageBitsPerChannel");
    i.mattes = intExport(handle, "imageNumberOfMattes");
    i.bitsPerMatte = intExport(handle, "imageBitsPerMatte");
    i.access = intExport(handle, "imageAccess");
    i.luts = intExport(handle, "imageNumberOfLuts");
    i.bitsPerLut = intExport(handle, "imageBitsPerLut");
    i.zChannels = intExport(handle, "imageNumberOfZChannels");
    i.bitsPerZChannel = intExport(handle, "imageBitsPerZChannel");
    i.activeWindow = intExport(handle, "imageSupportsActiveWindow");
    return true;
}

void loadFrom(const std::vector<std::string>& folders)
{
    for (Module& m : gModules)
        if (m.handle)
            dlclose(m.handle);
    gModules.clear();
    gInfos.clear();
    for (const std::string& folder : folders) {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
        if (!dir)
            continue;
        std::vector<std::string> names;
        while (dirent* e = readdir(dir.get())) {
            const std::string n = e->d_name;
            if (n.size() > 3 && n.compare(n.size() - 3, 3, ".so") == 0)
                names.push_back(n);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& n : names) {
            Module m;
            if (loadModule(folder + "/" + n, m)) {
                gModules.push_back(m);
                gInfos.push_back(m.info);
            }
        }
    }
    gLoaded = true;
}

void ensureLoaded()
{
    if (!gLoaded)
        loadFrom(pluginPath());
}

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

}  // namespace

std::vector<std::string> pluginPath()
{
    std::vector<std::string> out;
    const char* env = std::getenv("VL2_IMG_PLUGIN_PATH");
    const std::string path = env && *env ? env : VL2_IMAGE_PLUGIN_DIR;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        if (end > start)
            out.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

const std::vector<FormatInfo>& formats()
{
    std::lock_guard<std::mutex> lock(gMutex);
    ensureLoaded();
    return gInfos;
}

void reloadFormats(const std::vector<std::string>& folders)
{
    std::lock_guard<std::mutex> lock(gMutex);
    loadFrom(folders);
}

std::vector<std::string> takeMessages()
{
    std::lock_guard<std::mutex> lock(gMutex);
    std::vector<std::string> out;
    out.swap(gMessages);
    return out;
}

IMF_OBJECT* openImage(const std::string& path, std::string* error, const FormatInfo** format)
{
    const Module* chosen = nullptr;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        ensureLoaded();
        // Plug-ins of the file's extension are asked first, then the others.
        const std::size_t dot = path.find_last_of('.');
        const std::string ext = dot == std::string::npos ? std::string() : lower(path.substr(dot));
        std::vector<const Module*> order;
        for (const Module& m : gModules)
            if (lower(m.info.extension) == ext)
                order.push_back(&m);
        for (const Module& m : gModules)
            if (lower(m.info.extension) != ext)
                order.push_back(&m);
        if (order.empty()) {
            setError(error, "no image format plug-ins on the path");
            return nullptr;
        }
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            setError(error, "cannot open " + path + ": " + std::strerror(errno));
            return nullptr;
        }
        for (const Module* m : order) {
            if (m->isFile(path.c_str(), f)) {
                chosen = m;
                break;
            }
        }
        std::fclose(f);
    }
    if (!chosen) {
        setError(error, path + ": no image format plug-in reads this file");
        return nullptr;
    }
    auto* imf = static_cast<IMF_OBJECT*>(std::calloc(1, sizeof(IMF_OBJECT)));
    if (!imf) {
        setError(error, "out of memory");
        return nullptr;
    }
    if (path.size() >= sizeof imf->name) {
        std::free(imf);
        setError(error, path + ": path too long");
        return nullptr;
    }
    std::memcpy(imf->name, path.c_str(), path.size() + 1);
    imf->full_path = 1;
    imf->format_string = chosen->info.formatString.c_str();
    imf->extension = chosen->info.extension.c_str();
    if (chosen->readOpen(imf) != 1) {
        imf__free_obj(imf);
        setError(error, path + ": the " + chosen->info.name + " reader refused the file");
        return nullptr;
    }
    if (format)
        *format = &chosen->info;
    return imf;
}

bool readImage(const std::string& path, RgbaImage& out, std::string* error)
{
    const FormatInfo* format = nullptr;
    IMF_OBJECT* imf = openImage(path, error, &format);
    if (!imf)
        return false;
    const IMF_IMAGE& image = imf->image;
    const int w = image.window.x1 - image.window.x0 + 1;
    const int h = image.window.y1 - image.window.y0 + 1;
    bool ok = w > 0 && h > 0 && imf->scan && image.chan_count >= 1 && image.chan_bits == 8 &&
              (image.matte_count == 0 || image.matte_bits == 8);
    if (!ok)
        setError(error, path + ": the reader described an image this library cannot convert");
    if (ok) {
        out.width = w;
        out.height = h;
        out.format = format->key;
        out.pixels.assign(std::size_t(w) * std::size_t(h), 0);
        for (int row = 0; row < h && ok; ++row) {
            void** lines = nullptr;
            if (imf->scan(imf, row, &lines) != IMF_C_NORMAL || !lines) {
                setError(error, path + ": read error at row " + std::to_string(row));
                ok = false;
                break;
            }
            // The library counts rows bottom-up; the RGBA buffer is top-down.
            std::uint32_t* dst = out.pixels.data() + std::size_t(h - 1 - row) * std::size_t(w);
            const auto* r = static_cast<const std::uint8_t*>(lines[0]);
            const auto* g = static_cast<const std::uint8_t*>(lines[image.chan_count >= 3 ? 1 : 0]);
            const auto* b = static_cast<const std::uint8_t*>(lines[image.chan_count >= 3 ? 2 : 0]);
            const auto* a = image.matte_count > 0 ? static_cast<const std::uint8_t*>(lines[image.chan_count]) : nullptr;
            for (int x = 0; x < w; ++x)
                dst[x] = std::uint32_t(r[x]) | std::uint32_t(g[x]) << 8 | std::uint32_t(b[x]) << 16 |
                         std::uint32_t(a ? a[x] : 255) << 24;
        }
    }
    if (imf->close)
        imf->close(imf);
    else
        imf__free_obj(imf);
    return ok;
}

}  // namespace vl2imf

// ---------------------------------------------------------------------------
// The library calls format plug-ins make.

extern "C" {

void ERR_printf(int level, const char* format, ...)
{
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::fputs(buffer, stderr);
    std::lock_guard<std::mutex> lock(vl2imf::gMutex);
    (void)level;
    vl2imf::gMessages.push_back(buffer);
}

void imf__init_ifd(IMF_OBJECT* imf)
{
    if (!imf)
        return;
    IMF_IMAGE& i = imf->image;
    i = IMF_IMAGE{};
    i.window = {0, 0, -1, -1};
    i.active = {0, 0, -1, -1};
    i.aspect_name = "standard aspect";
    i.aspect_ratio = 1.0;
    i.chan_format = "rgb";
    i.matte_format = "matte";
    imf->scan = nullptr;
    imf->close = nullptr;
    imf->data = nullptr;
}

char* imf__build_handle(const char* directory, const IMF_OBJECT* imf, char* out, size_t out_size)
{
    if (!imf || !out || out_size == 0)
        return nullptr;
    char file[1200];
    int n;
    if (imf->full_path || !imf->format_string || !*imf->format_string) {
        n = std::snprintf(file, sizeof file, "%s", imf->name);
    } else {
        // The plug-in's own format string ("%s.%04.4d%s") names frame files.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        n = std::snprintf(file, sizeof file, imf->format_string, imf->name, imf->frame,
                          imf->extension ? imf->extension : "");
#pragma GCC diagnostic pop
    }
    if (n < 0 || std::size_t(n) >= sizeof file)
        return nullptr;
    if (directory && *directory)
        n = std::snprintf(out, out_size, "%s/%s", directory, file);
    else
        n = std::snprintf(out, out_size, "%s", file);
    return n < 0 || std::size_t(n) >= out_size ? nullptr : out;
}

const char* imf__img_dir(void)
{
    const char* dir = std::getenv("WF_IMG_DIR");
    return dir && *dir ? dir : nullptr;
}

void** IMF_chan_alloc(int count, int width, int bytes_per_value)
{
    if (count < 1 || width < 1 || bytes_per_value < 1)
        return nullptr;
    // One block: the pointer table, then the buffers.
    const std::size_t line = std::size_t(width) * std::size_t(bytes_per_value);
    const std::size_t table = sizeof(void*) * (std::size_t(count) + 1);
    auto* block = static_cast<unsigned char*>(std::calloc(1, table + line * std::size_t(count)));
    if (!block)
        return nullptr;
    void** channels = reinterpret_cast<void**>(block);
    for (int c = 0; c < count; ++c)
        channels[c] = block + table + line * std::size_t(c);
    channels[count] = nullptr;
    return channels;
}

void IMF_chan_free(void** channels)
{
    std::free(channels);
}

void imf__free_obj(IMF_OBJECT* imf)
{
    std::free(imf);
}

}  // extern "C"
