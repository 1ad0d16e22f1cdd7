// Synthetic game log entries: chat on the usual channels in Japanese and
// English, system, loot and synthesis messages, and materia-extraction
// messages, about a quarter of them carrying control sequences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "chunkgen/control_sequences.h"
#include "chunkgen/splitmix64.h"

namespace tellwick::chunkgen {

// Entry codes of the channels the generator writes.
constexpr std::uint32_t kCodeSay = 0x000A;
constexpr std::uint32_t kCodeTellIn = 0x000C;
constexpr std::uint32_t kCodeTellOut = 0x000D;
constexpr std::uint32_t kCodeParty = 0x000E;
constexpr std::uint32_t kCodeLinkshellFirst = 0x0010;
constexpr std::uint32_t kCodeLinkshellLast = 0x0017;
constexpr std::uint32_t kCodeFreeCompany = 0x0018;
constexpr std::uint32_t kCodeSystem = 0x0039;
constexpr std::uint32_t kCodeLoot = 0x003E;
constexpr std::uint32_t kCodeSynthesis = 0x0042;

// Text of one entry, as the game allows it: the entry line holds the twelve
// prefix characters and at most 1011 text bytes.
constexpr std::size_t kMaxEntryText = 1011;
constexpr std::size_t kEntryHeaderBytes = 8;

// The materia detector reads the leading decimal number of an entry line,
// whose first characters are the entry time in hex: only times whose hex
// form starts with "46" or "47" and a letter (0x46A00000..0x46FFFFFF,
// 0x47A00000..0x47FFFFFF, in 2007 and 2008) make their materia messages
// detectable. Series start in the first of these windows unless told
// otherwise; with about two seconds between entries on average, the first
// three million entries or so stay inside it.
constexpr std::uint32_t kDefaultStartTime = 0x46A00000;

struct GeneratedEntry {
  std::uint32_t time = 0;
  std::uint32_t code = 0;
  std::string text;         // UTF-8 with control sequences
  bool decorated = false;   // carries at least one control sequence
  bool materia = false;     // a materia-extraction message
  bool detectable = false;  // ... whose entry line the detector accepts
  std::uint32_t forms = 0;  // bit per PackedForm used
};

// Which entries a series is made of: short chat and system lines, or the
// longer mix of battle, loot and chat lines a real client writes.
enum class EntryShape { kShort, kRealShaped };

struct EntryGenerator {
  EntryShape shape = EntryShape::kShort;
  SplitMix64 rng;
  std::uint32_t clock = kDefaultStartTime;
  std::vector<std::string> names;  // senders: two capitalised ASCII words
};

void start_generator(EntryGenerator& generator, std::uint64_t seed, std::uint32_t start_time,
                     EntryShape shape = EntryShape::kShort);

// Moves the generator's clock on to the next entry's time.
void advance_clock(EntryGenerator& generator);

// The next entry; times never decrease.
void next_entry(EntryGenerator& generator, GeneratedEntry& entry);

// The entry's bytes as a chunk file holds them: time, code, text.
void append_entry_bytes(const GeneratedEntry& entry, std::vector<std::uint8_t>& out);

// Whether an entry line with this time and code reads 46 or 47 as its
// leading number (its leading run of decimal digits).
bool prefix_reads_materia_number(std::uint32_t time, std::uint32_t code);

}  // namespace tellwick::chunkgen
