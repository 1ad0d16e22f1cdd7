// The system's own converters. They refuse to write a partial result into a
// buffer that is too small, so an over-long text is cut by converting the
// longest prefix of whole input characters whose result still fits.
#include "platform/encoding.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "platform/ascii_run.h"

namespace tellwick {
namespace {

int clamp_int(std::size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

bool is_utf8_trail(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

template <typename Convert, typename Boundary>
std::size_t convert_cut(std::size_t in_len, std::size_t out_cap, Convert convert, Boundary at_boundary) {
  const int written = convert(in_len, out_cap);
  if (written > 0) return static_cast<std::size_t>(written);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
  // Largest prefix (ending on a character boundary) whose conversion fits.
  std::size_t lo = 0;
  std::size_t hi = in_len;
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo + 1) / 2;
    while (mid > lo && !at_boundary(mid)) --mid;
    if (mid == lo) {
      hi = lo;
      break;
    }
    const int size = convert(mid, 0);
    if (size > 0 && static_cast<std::size_t>(size) <= out_cap) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return lo == 0 ? 0 : static_cast<std::size_t>(convert(lo, out_cap));
}

bool is_ascii(const char* in, std::size_t in_len) {
  return ascii_run(reinterpret_cast<const std::uint8_t*>(in), in_len) == in_len;
}

// Whether the ANSI code page gives every ASCII character its own byte, as
// all those Windows uses as the ANSI code page do; asked once, so that a
// line of ASCII can be copied only where the system would copy it too.
bool ansi_keeps_ascii() {
  static const bool keeps = [] {
    wchar_t ascii[127];
    char bytes[sizeof ascii];
    for (int c = 1; c < 128; ++c) ascii[c - 1] = static_cast<wchar_t>(c);
    if (WideCharToMultiByte(CP_ACP, 0, ascii, 127, bytes, 127, nullptr, nullptr) != 127) return false;
    for (int c = 1; c < 128; ++c) {
      if (static_cast<unsigned char>(bytes[c - 1]) != c) return false;
    }
    return true;
  }();
  return keeps;
}

}  // namespace

std::size_t utf8_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap) {
  if (in_len == 0 || out_cap == 0) return 0;
  // UTF-8's ASCII is UTF-16's; the system converter gives the same units.
  if (is_ascii(in, in_len)) {
    const std::size_t n = in_len < out_cap ? in_len : out_cap;
    widen_ascii(reinterpret_cast<const std::uint8_t*>(in), n, out);
    return n;
  }
  // Converted with its terminator, as the system converts a zero-terminated
  // string; the terminator itself is not counted.
  const int whole =
      MultiByteToWideChar(CP_UTF8, 0, in, clamp_int(in_len + 1), reinterpret_cast<wchar_t*>(out), clamp_int(out_cap));
  if (whole > 0) return out[whole - 1] == 0 ? static_cast<std::size_t>(whole - 1) : static_cast<std::size_t>(whole);
  auto convert = [&](std::size_t len, std::size_t cap) {
    return MultiByteToWideChar(CP_UTF8, 0, in, clamp_int(len), cap ? reinterpret_cast<wchar_t*>(out) : nullptr,
                               clamp_int(cap));
  };
  auto boundary = [&](std::size_t pos) { return pos >= in_len || !is_utf8_trail(in[pos]); };
  std::size_t n = convert_cut(in_len, out_cap, convert, boundary);
  // Well-formed or not, UTF-8 never converts to a lone high surrogate: one at
  // the end is half a character that some converters leave when the buffer fills.
  if (n > 0 && is_high_surrogate(out[n - 1])) --n;
  return n;
}

std::size_t utf16_to_utf8(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  if (in_len == 0 || out_cap == 0) return 0;
  auto convert = [&](std::size_t len, std::size_t cap) {
    return WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(in), clamp_int(len), cap ? out : nullptr,
                               clamp_int(cap), nullptr, nullptr);
  };
  auto boundary = [&](std::size_t pos) { return pos >= in_len || !is_high_surrogate(in[pos - 1]); };
  return convert_cut(in_len, out_cap, convert, boundary);
}

std::size_t utf16_to_ansi(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  if (in_len == 0 || out_cap == 0) return 0;
  auto convert = [&](std::size_t len, std::size_t cap) {
    return WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(in), clamp_int(len), cap ? out : nullptr,
                               clamp_int(cap), nullptr, nullptr);
  };
  auto boundary = [&](std::size_t pos) { return pos >= in_len || !is_high_surrogate(in[pos - 1]); };
  return convert_cut(in_len, out_cap, convert, boundary);
}

namespace {

constexpr UINT kShiftJis = 932;

bool is_cp932_lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The characters that the strict conversion refuses are the ones that read
// as the default character; asked one character at a time, and only where
// the whole input was refused.
std::size_t cp932_replacements(const char* in, std::size_t in_len) {
  if (MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, in, clamp_int(in_len), nullptr, 0) > 0) return 0;
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < in_len;) {
    const std::size_t length = is_cp932_lead(static_cast<unsigned char>(in[i])) && i + 1 < in_len ? 2 : 1;
    if (MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, in + i, static_cast<int>(length), nullptr, 0) == 0) {
      ++replaced;
    }
    i += length;
  }
  return replaced;
}

}  // namespace

std::size_t cp932_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap,
                           std::size_t& replaced) {
  replaced = in_len == 0 ? 0 : cp932_replacements(in, in_len);
  if (in_len == 0 || out_cap == 0) return 0;
  auto convert = [&](std::size_t len, std::size_t cap) {
    return MultiByteToWideChar(kShiftJis, 0, in, clamp_int(len), cap ? reinterpret_cast<wchar_t*>(out) : nullptr,
                               clamp_int(cap));
  };
  // A trail byte can look like a lead byte: only a cut after a single-byte
  // character is known to be a boundary, so cut before the whole input fits.
  auto boundary = [&](std::size_t pos) { return pos >= in_len || static_cast<unsigned char>(in[pos - 1]) < 0x80; };
  return convert_cut(in_len, out_cap, convert, boundary);
}

std::size_t utf8_to_ansi(const char* in, std::size_t in_len, char* out, std::size_t out_cap) {
  if (in_len == 0 || out_cap == 0) return 0;
  if (ansi_keeps_ascii() && is_ascii(in, in_len)) {
    const std::size_t n = in_len < out_cap ? in_len : out_cap;
    std::memcpy(out, in, n);
    return n;
  }
  // UTF-8 never gives more UTF-16 units than it has bytes.
  constexpr std::size_t kStackUnits = 4096;
  char16_t stack[kStackUnits];
  std::unique_ptr<char16_t[]> heap;
  char16_t* wide = stack;
  if (in_len > kStackUnits) {
    heap = std::make_unique<char16_t[]>(in_len);
    wide = heap.get();
  }
  const std::size_t units = utf8_to_utf16(in, in_len, wide, in_len);
  return utf16_to_ansi(wide, units, out, out_cap);
}

}  // namespace tellwick
