// Entries shaped like a real client's log rather than like chat alone: long
// battle lines, icons from the private-use area, item and name links, colour
// markup around numbers, Japanese and English text, and the game's 0x1F
// between the sender and the message. About 108 bytes an entry, which is
// what a real log of battle and party play averages.
#pragma once

#include "chunkgen/entry_generator.h"

namespace tellwick::chunkgen {

// Entry codes of battle lines: actions, damage, effects and defeats.
constexpr std::uint32_t kCodeBattleFirst = 0x0829;
constexpr std::uint32_t kCodeBattleDamage = 0x0AA9;
constexpr std::uint32_t kCodeBattleEffect = 0x10AE;
constexpr std::uint32_t kCodeBattleDefeat = 0x133A;

constexpr char kSenderSeparator = '\x1F';

void next_real_shaped_entry(EntryGenerator& generator, GeneratedEntry& entry);

}  // namespace tellwick::chunkgen
