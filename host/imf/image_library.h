#pragma once
// The host's image library: finds image-format plug-ins on the image plug-in
// path (VL2_IMG_PLUGIN_PATH, folders separated by ':', defaulting to the
// build's image plug-in folder), and reads any image a plug-in supports into
// RGBA for the rest of the host.

#include <imf/imf.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vl2imf {

struct FormatInfo {
    std::string file;       // the module's path
    std::string program;
    std::string version;
    std::string key;        // "imageKey"
    std::string extension;  // "imageExtension", with the dot
    std::string name;       // "imageName"
    std::string formatString;
    std::string nameSyntax;
    int addExtension = 0, usage = 0, orientation = 0;
    int channels = 0, bitsPerChannel = 0, mattes = 0, bitsPerMatte = 0, access = 0;
    int luts = 0, bitsPerLut = 0, zChannels = 0, bitsPerZChannel = 0, activeWindow = 0;
};

struct RgbaImage {
    int width = 0;
    int height = 0;
    // Row 0 is the top row; red in the low byte, alpha in the high byte.
    std::vector<std::uint32_t> pixels;
    std::string format;  // key of the plug-in that read it
};

// The plug-in folders in search order.
std::vector<std::string> pluginPath();

// Loads every format plug-in on the path (once; later calls return the same
// list). Modules that are not format plug-ins, or whose library calls cannot
// be bound, are skipped with a message on standard error.
const std::vector<FormatInfo>& formats();

// Reads any supported image into RGBA. False with `error` set when no plug-in
// takes the file or reading fails.
bool readImage(const std::string& path, RgbaImage& out, std::string* error = nullptr);

// Opens the image with the first plug-in that takes it and returns the
// handle after a successful imageReadOpen (read it with imf->scan, release
// it with imf->close); null with `error` set otherwise.
IMF_OBJECT* openImage(const std::string& path, std::string* error = nullptr, const FormatInfo** format = nullptr);

// Messages reported through ERR_printf since the last call (for tests and
// tools that show them); each ends as the plug-in wrote it.
std::vector<std::string> takeMessages();

// Loads the format plug-ins from the given folders instead of the path
// (drops what was loaded before). For tests and tools.
void reloadFormats(const std::vector<std::string>& folders);

}  // namespace vl2imf
