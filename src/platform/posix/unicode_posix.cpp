// UTF-8 <-> UTF-16 as Windows converts them with flags 0: every ill-formed
// UTF-8 sequence becomes one U+FFFD per maximal subpart, and a lone surrogate
// becomes U+FFFD in UTF-8.
#include "platform/encoding.h"

#include <cstdint>

namespace tellwick {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The range the second byte of a sequence must fall in, by lead byte; later
// continuation bytes are always 0x80..0xBF.
struct LeadRule {
  int trail_count;
  std::uint8_t second_min;
  std::uint8_t second_max;
};

LeadRule lead_rule(std::uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
  if (lead == 0xE0) return {2, 0xA0, 0xBF};
  if (lead == 0xED) return {2, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
  if (lead == 0xF0) return {3, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
  if (lead == 0xF4) return {3, 0x80, 0x8F};
  return {0, 0, 0};  // 0x80..0xC1 and 0xF5..0xFF never start a sequence
}

}  // namespace

std::size_t utf8_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(in);
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    const std::uint8_t lead = s[i];
    if (lead < 0x80) {
      if (n == out_cap) break;
      out[n++] = lead;
      ++i;
      continue;
    }
    const LeadRule rule = lead_rule(lead);
    std::uint32_t cp = lead & (0x3F >> rule.trail_count);
    std::size_t j = i + 1;
    bool complete = rule.trail_count > 0;
    for (int t = 0; t < rule.trail_count; ++t, ++j) {
      const std::uint8_t lo = t == 0 ? rule.second_min : 0x80;
      const std::uint8_t hi = t == 0 ? rule.second_max : 0xBF;
      if (j >= in_len || s[j] < lo || s[j] > hi) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (s[j] & 0x3F);
    }
    if (!complete) cp = kReplacement;
    const std::size_t units = cp >= 0x10000 ? 2 : 1;
    if (n + units > out_cap) break;
    if (units == 2) {
      cp -= 0x10000;
      out[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out[n++] = static_cast<char16_t>(cp);
    }
    i = complete ? j : (j > i + 1 ? j : i + 1);
  }
  return n;
}

std::size_t utf16_to_utf8(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < in_len; ++i) {
    std::uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in_len && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    const std::size_t bytes = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (n + bytes > out_cap) break;
    switch (bytes) {
      case 1:
        out[n++] = static_cast<char>(cp);
        break;
      case 2:
        out[n++] = static_cast<char>(0xC0 | (cp >> 6));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      case 3:
        out[n++] = static_cast<char>(0xE0 | (cp >> 12));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
      default:
        out[n++] = static_cast<char>(0xF0 | (cp >> 18));
        out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        break;
    }
  }
  return n;
}

}  // namespace tellwick
