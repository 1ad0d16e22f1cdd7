#include "platform/posix/path_posix.h"

#include <cstdint>
#include <string_view>

#include "platform/path.h"
#include "platform/posix/utf8_decode_posix.h"

namespace tellwick {
namespace {

// The units that stand for one byte of a name that was not UTF-8.
constexpr char16_t kFirstKeptByte = 0xDC80;
constexpr char16_t kLastKeptByte = 0xDCFF;
constexpr char16_t kKeptByteBase = 0xDC00;

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void append_utf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string native_path(const char16_t* path) {
  const std::u16string_view wide(path);
  std::string out;
  out.reserve(wide.size() * 3);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    if (c == u'\\') {
      out += '/';
    } else if (is_high_surrogate(c) && i + 1 < wide.size() && is_low_surrogate(wide[i + 1])) {
      append_utf8(0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (wide[i + 1] - 0xDC00u), out);
      ++i;
    } else if (c >= kFirstKeptByte && c <= kLastKeptByte) {
      out += static_cast<char>(c - kKeptByteBase);
    } else if (is_high_surrogate(c) || is_low_surrogate(c)) {
      // No name the system gave holds one, so no file is reached through it.
      append_utf8(utf8::kReplacement, out);
    } else {
      append_utf8(c, out);
    }
  }
  return out;
}

std::u16string path_from_native(const std::string& name) {
  // std::string ends in a zero, which the decoder relies on.
  const auto* s = reinterpret_cast<const std::uint8_t*>(name.c_str());
  const std::size_t size = name.size();
  std::u16string out;
  out.reserve(size);
  std::size_t i = 0;
  while (i < size) {
    if (s[i] < 0x80) {
      out += static_cast<char16_t>(s[i++]);
      continue;
    }
    std::size_t next = i;
    const std::uint32_t cp = utf8::decode_next(s, next, size);
    if (cp == utf8::kInvalid) {
      // Only this byte is kept aside: the next one may start a character.
      out += static_cast<char16_t>(kKeptByteBase + s[i]);
      ++i;
    } else if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
      i = next;
    } else {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      i = next;
    }
  }
  return out;
}

}  // namespace tellwick
