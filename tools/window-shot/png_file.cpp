#include "png_file.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>

namespace tellwick::shot {
namespace {

constexpr std::size_t kStoredBlockMax = 65535;

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void put_u32_be(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put_chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& body) {
  put_u32_be(out, static_cast<std::uint32_t>(body.size()));
  std::vector<std::uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  put_u32_be(out, crc32(typed.data(), typed.size()));
}

// A zlib stream of stored blocks.
std::vector<std::uint8_t> zlib_stored(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t size = std::min(kStoredBlockMax, raw.size() - at);
    const bool last = at + size == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(size & 0xFF));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.push_back(static_cast<std::uint8_t>(~size & 0xFF));
    out.push_back(static_cast<std::uint8_t>((~size >> 8) & 0xFF));
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + size);
    at += size;
  } while (at < raw.size());
  put_u32_be(out, adler32(raw));
  return out;
}

}  // namespace

bool write_png(const std::filesystem::path& path, const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 3;
  if (image.rgb.size() != row_bytes * image.height) return false;
  std::vector<std::uint8_t> raw;
  raw.reserve((row_bytes + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), image.rgb.begin() + y * row_bytes, image.rgb.begin() + (y + 1) * row_bytes);
  }
  std::vector<std::uint8_t> header;
  put_u32_be(header, static_cast<std::uint32_t>(image.width));
  put_u32_be(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter method, no interlace

  std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  put_chunk(file, "IHDR", header);
  put_chunk(file, "IDAT", zlib_stored(raw));
  put_chunk(file, "IEND", {});
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace tellwick::shot
