// Control sequences as the game embeds them: 0x02, a type byte, a packed
// integer declaring the payload length, the payload, and a closing 0x03.
// The generator uses every form of the packed integer, each with a payload
// of exactly the declared length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "chunkgen/splitmix64.h"

namespace tellwick::chunkgen {

// The forms of the packed integer, by its lead byte.
enum PackedForm : int {
  kFormLeadZero,  // 0x00: value -1, a three-byte sequence without a closing byte
  kFormOneByte,   // 0x01..0xDF: value lead - 1
  kFormE0,        // 0xE0..0xEF: value lead, the lead being the first payload byte
  kFormF0,        // one byte follows
  kFormF1,        // one byte follows, times 256
  kFormF2,        // two bytes follow
  kFormF3,        // value 0xF3, like 0xE0..0xEF
  kFormF4,        // value 0xF4
  kFormF5,        // two bytes follow, times 256
  kFormF6,        // three bytes follow
  kFormF7,        // 0xF7..0xFF: value lead
  kPackedFormCount
};

PackedForm packed_form_of(std::uint8_t lead);
const char* packed_form_name(PackedForm form);

// Type bytes of the markup the generator writes.
constexpr std::uint8_t kTypeIcon = 0x12;
constexpr std::uint8_t kTypeColour = 0x13;
constexpr std::uint8_t kTypeLink = 0x27;
constexpr std::uint8_t kTypeAutoTranslate = 0x2E;

constexpr std::uint8_t kSequenceStart = 0x02;
constexpr std::uint8_t kSequenceEnd = 0x03;

// Appends one sequence of `form` and type `type` no longer than `budget`
// bytes, its payload filled with bytes of any value, zero included. Returns
// its length, or 0 (nothing appended) when no sequence of that form fits.
std::size_t append_sequence(SplitMix64& rng, PackedForm form, std::uint8_t type, std::size_t budget, std::string& out);

// The everyday markup, all in the one-byte form: a colour and its reset, an
// icon, an auto-translate phrase, the start and end of an item or player link.
std::size_t append_colour_start(SplitMix64& rng, std::string& out);
std::size_t append_colour_end(std::string& out);
std::size_t append_icon(SplitMix64& rng, std::string& out);
std::size_t append_auto_translate(SplitMix64& rng, std::string& out);
std::size_t append_link_start(SplitMix64& rng, std::string& out);
std::size_t append_link_end(std::string& out);

// The longest of the everyday sequences above.
constexpr std::size_t kEverydaySequenceMax = 10;

}  // namespace tellwick::chunkgen
