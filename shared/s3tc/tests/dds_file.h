#pragma once
// Test support: wraps encoded blocks into a DDS file and reads it back with
// ImageMagick, a decoder that has nothing to do with ours or libsquish's.
#include "s3tc/S3tc.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vl2::testing {

// A DDS file (no mip levels) holding one level of blocks.
std::vector<std::uint8_t> ddsFile(s3tc::Format format, int width, int height, const std::vector<std::uint8_t>& blocks);

// Decodes a DDS file through ImageMagick into width * height * 4 bytes of
// RGBA. False with `error` set when the program fails or returns another size.
bool decodeWithImageMagick(const std::string& ddsPath, int width, int height, std::vector<std::uint8_t>& rgba,
                           std::string& error);

// Root mean square difference over the red, green and blue bytes.
double rmsRgb(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vl2::testing
