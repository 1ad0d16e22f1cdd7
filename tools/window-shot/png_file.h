// Writes an RGB image as a PNG file, without any library: the image data go
// into stored (uncompressed) deflate blocks, which every PNG reader accepts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tellwick::shot {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};

bool write_png(const std::filesystem::path& path, const RgbImage& image);

}  // namespace tellwick::shot
