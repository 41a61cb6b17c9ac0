#pragma once
// Helpers for the layered image tests: sample paths, files, and ImageMagick
// as the independent reader.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lit {

inline std::string sample(const std::string& name)
{
    return std::string(VL2_SAMPLES_DIR) + "/" + name;
}

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string tempPath(const std::string& name)
{
    return std::string(VL2_BINARY_DIR) + "/tests/layered_image_" + name;
}

// Output of a shell command (binary-safe).
inline std::string run(const std::string& command)
{
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// The real ImageMagick (a stand-in may shadow it on the PATH).
inline const char* magick() { return "/usr/bin/convert"; }
inline const char* identify() { return "/usr/bin/identify"; }

}  // namespace lit
