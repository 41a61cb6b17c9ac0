// imgconvert: reads any image a format plug-in of the host image library
// supports and writes it as PNG, so people can look at what the host sees.
#include "imf/image_library.h"

#include <CLI/CLI.hpp>
#include <png.h>

#include <cstdio>
#include <iostream>
#include <memory>

namespace {

bool writePng(const std::string& path, const vl2imf::RgbaImage& image, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGBA,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(std::size_t(image.width) * 4);
        for (int y = 0; y < image.height; ++y) {
            const std::uint32_t* p = image.pixels.data() + std::size_t(y) * std::size_t(image.width);
            for (int x = 0; x < image.width; ++x)
                for (int c = 0; c < 4; ++c)
                    row[std::size_t(x) * 4 + std::size_t(c)] = png_byte(p[x] >> (8 * c));
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());
        error = "failed writing " + path;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Convert an image through the host image library's format plug-ins to PNG"};
    std::string input, output;
    bool list = false;
    app.add_flag("--list", list, "List the format plug-ins found on the image plug-in path");
    app.add_option("input", input, "Image to read (any format a plug-in supports)");
    app.add_option("output", output, "PNG file to write");
    CLI11_PARSE(app, argc, argv);

    if (list) {
        for (const auto& f : vl2imf::formats())
            std::cout << f.key << "\t" << f.extension << "\t" << f.name << "\t" << f.program << " " << f.version
                      << "\t" << f.file << "\n";
        if (input.empty())
            return 0;
    }
    if (input.empty() || output.empty()) {
        std::cerr << "imgconvert: give an input image and an output PNG (see --help)\n";
        return 2;
    }
    vl2imf::RgbaImage image;
    std::string error;
    if (!vl2imf::readImage(input, image, &error)) {
        std::cerr << "imgconvert: " << error << "\n";
        return 1;
    }
    if (!writePng(output, image, error)) {
        std::cerr << "imgconvert: " << error << "\n";
        return 1;
    }
    std::cout << input << ": " << image.width << " x " << image.height << " (" << image.format << ") -> " << output
              << "\n";
    return 0;
}
