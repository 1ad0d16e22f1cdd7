#include "chunkgen/control_sequences.h"

#include <algorithm>

namespace tellwick::chunkgen {
namespace {

constexpr std::size_t kFrameBytes = 3;  // start, type, closing
constexpr std::uint32_t kOneByteValueMax = 0xDF - 1;
constexpr std::uint32_t kLongPayloadMax = 700;  // keeps a sequence well inside one entry

char byte(std::uint32_t value) { return static_cast<char>(static_cast<std::uint8_t>(value)); }

// Filler payload: any byte, a zero now and then, a 0x02 now and then.
void append_payload(SplitMix64& rng, std::size_t count, std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    if (rng.one_in(32)) {
      out.push_back('\0');
    } else if (rng.one_in(64)) {
      out.push_back(static_cast<char>(kSequenceStart));
    } else {
      out.push_back(byte(rng.between(1, 0xFF)));
    }
  }
}

void append_frame_start(std::uint8_t type, std::string& out) {
  out.push_back(static_cast<char>(kSequenceStart));
  out.push_back(static_cast<char>(type));
}

// A sequence whose packed integer is the lead byte alone and whose value is
// that lead byte: the lead byte opens the payload.
std::size_t append_self_counting(SplitMix64& rng, std::uint32_t lead_low, std::uint32_t lead_high, std::uint8_t type,
                                 std::size_t budget, std::string& out) {
  if (budget < lead_low + kFrameBytes) return 0;
  const std::uint32_t high = std::min<std::uint32_t>(lead_high, static_cast<std::uint32_t>(budget - kFrameBytes));
  const std::uint32_t lead = rng.between(lead_low, high);
  append_frame_start(type, out);
  out.push_back(byte(lead));
  append_payload(rng, lead - 1, out);
  out.push_back(static_cast<char>(kSequenceEnd));
  return lead + kFrameBytes;
}

// Chooses a payload length in [low, high] that fits the budget together with
// `count` bytes of packed integer; false when even `low` does not fit.
bool choose_length(SplitMix64& rng, std::uint32_t low, std::uint32_t high, std::size_t count, std::size_t budget,
                   std::uint32_t& length) {
  if (budget < low + count + kFrameBytes) return false;
  high = std::min<std::uint32_t>(high, static_cast<std::uint32_t>(budget - count - kFrameBytes));
  length = rng.between(low, high);
  return true;
}

std::size_t finish(SplitMix64& rng, std::uint32_t length, std::size_t count, std::string& out) {
  append_payload(rng, length, out);
  out.push_back(static_cast<char>(kSequenceEnd));
  return length + count + kFrameBytes;
}

// 0xF1 and 0xF5 declare whole multiples of 256: 0, 256 or 512 here.
std::size_t append_multiple_of_256(SplitMix64& rng, PackedForm form, std::uint8_t type, std::size_t budget,
                                   std::string& out) {
  const std::size_t count = form == kFormF1 ? 2 : 3;
  std::uint32_t units = rng.below(3);
  while (units > 0 && 256 * units + count + kFrameBytes > budget) --units;
  if (count + kFrameBytes > budget) return 0;
  append_frame_start(type, out);
  if (form == kFormF1) {
    out.push_back(byte(0xF1));
    out.push_back(byte(units));
  } else {
    out.push_back(byte(0xF5));
    out.push_back('\0');
    out.push_back(byte(units));
  }
  return finish(rng, 256 * units, count, out);
}

}  // namespace

PackedForm packed_form_of(std::uint8_t lead) {
  if (lead == 0x00) return kFormLeadZero;
  if (lead < 0xE0) return kFormOneByte;
  if (lead < 0xF0) return kFormE0;
  // clang-format off
  switch (lead) {
    case 0xF0: return kFormF0;
    case 0xF1: return kFormF1;
    case 0xF2: return kFormF2;
    case 0xF3: return kFormF3;
    case 0xF4: return kFormF4;
    case 0xF5: return kFormF5;
    case 0xF6: return kFormF6;
    default: return kFormF7;
  }
  // clang-format on
}

const char* packed_form_name(PackedForm form) {
  // clang-format off
  static const char* const kNames[kPackedFormCount] = {"00",    "01-DF", "E0-EF", "F0", "F1", "F2",
                                                       "F3",    "F4",    "F5",    "F6", "F7-FF"};
  // clang-format on
  return form >= 0 && form < kPackedFormCount ? kNames[form] : "?";
}

std::size_t append_sequence(SplitMix64& rng, PackedForm form, std::uint8_t type, std::size_t budget, std::string& out) {
  std::uint32_t length = 0;
  switch (form) {
    case kFormLeadZero:
      if (budget < kFrameBytes) return 0;
      append_frame_start(type, out);
      out.push_back('\0');
      return kFrameBytes;
    case kFormOneByte:
      if (!choose_length(rng, 0, kOneByteValueMax, 1, budget, length)) return 0;
      append_frame_start(type, out);
      out.push_back(byte(length + 1));
      return finish(rng, length, 1, out);
    case kFormE0: return append_self_counting(rng, 0xE0, 0xEF, type, budget, out);
    case kFormF3: return append_self_counting(rng, 0xF3, 0xF3, type, budget, out);
    case kFormF4: return append_self_counting(rng, 0xF4, 0xF4, type, budget, out);
    case kFormF7: return append_self_counting(rng, 0xF7, 0xFF, type, budget, out);
    case kFormF0:
      if (!choose_length(rng, 0, 0xFF, 2, budget, length)) return 0;
      append_frame_start(type, out);
      out.push_back(byte(0xF0));
      out.push_back(byte(length));
      return finish(rng, length, 2, out);
    case kFormF1:
    case kFormF5: return append_multiple_of_256(rng, form, type, budget, out);
    case kFormF2:
      if (!choose_length(rng, 0, kLongPayloadMax, 3, budget, length)) return 0;
      append_frame_start(type, out);
      out.push_back(byte(0xF2));
      out.push_back(byte(length >> 8));
      out.push_back(byte(length));
      return finish(rng, length, 3, out);
    case kFormF6:
      if (!choose_length(rng, 0, kLongPayloadMax, 4, budget, length)) return 0;
      append_frame_start(type, out);
      out.push_back(byte(0xF6));
      out.push_back('\0');
      out.push_back(byte(length >> 8));
      out.push_back(byte(length));
      return finish(rng, length, 4, out);
    default: return 0;
  }
}

std::size_t append_colour_start(SplitMix64& rng, std::string& out) {
  static const std::uint32_t kColours[] = {0xFFFF66, 0xEEE1C5, 0x99CCFF, 0xFF7B1A, 0x66FF99};
  const std::uint32_t rgb = kColours[rng.below(5)];
  out += std::string{'\x02', '\x13', '\x06', '\xFE', '\xFF', byte(rgb >> 16), byte(rgb >> 8), byte(rgb), '\x03'};
  return 9;
}

std::size_t append_colour_end(std::string& out) {
  out += std::string{'\x02', '\x13', '\x02', '\xEC', '\x03'};
  return 5;
}

std::size_t append_icon(SplitMix64& rng, std::string& out) {
  out += std::string{'\x02', '\x12', '\x02', byte(rng.between(0x01, 0x60)), '\x03'};
  return 5;
}

std::size_t append_auto_translate(SplitMix64& rng, std::string& out) {
  out += std::string{'\x02',
                     '\x2E',
                     '\x05',
                     byte(rng.between(1, 0x30)),
                     '\xF2',
                     byte(rng.between(1, 0xFF)),
                     byte(rng.between(1, 0xFF)),
                     '\x03'};
  return 8;
}

std::size_t append_link_start(SplitMix64& rng, std::string& out) {
  out += std::string{'\x02', '\x27', '\x07', '\x03', '\xF2', byte(rng.between(1, 0x7F)), byte(rng.between(1, 0xFF)),
                     '\x01', '\x01', '\x03'};
  return 10;
}

std::size_t append_link_end(std::string& out) {
  out += std::string{'\x02', '\x27', '\x07', '\xCF', '\x01', '\x01', '\x01', '\xFF', '\x01', '\x03'};
  return 10;
}

}  // namespace tellwick::chunkgen
