// Channels of entries: bits 0-6 of the entry code, named as the game's
// public plugin framework (Dalamud's XivChatType) names them.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tellwick {

constexpr int kChannelCount = 128;
using ChannelSet = std::bitset<kChannelCount>;

// Bits 7 and up of a code tell who sent the entry and to whom.
constexpr int channel_of_code(std::uint32_t code) { return static_cast<int>(code & 0x7F); }

// The channel's name as printed: its XivChatType name, or for a channel
// that has none its number in hex ("0x3E"). Letters and digits only, at
// most kLongestChannelName of them.
std::string_view printed_channel_name(int channel);
constexpr std::size_t kLongestChannelName = 24;

// The same in a fixed room, for writers that copy the whole room at once
// and then move on by the name's size.
struct PaddedChannelName {
  static constexpr std::size_t kRoom = 32;
  char text[kRoom];
  std::size_t size;
};
const PaddedChannelName& padded_channel_name(int channel);

// The channels one filter word stands for, compared without regard to ASCII
// case: a printed name, any channel's number in hex ("0x0A" is Say), or a
// group:
//   chat   - what players write: Say, Shout, both tells, Party, Alliance,
//            the linkshells, FreeCompany, NoviceNetwork, CustomEmote, Yell,
//            CrossParty, PvPTeam and the cross-world linkshells
//   battle - the battle log: the channels 0x29 to 0x31 (damage, misses,
//            actions, items, healing, effects gained, lost and worn off)
//            and 0x3A, which XivChatType calls SystemError but the game
//            uses for defeats and other battle messages
// False for a word that names nothing.
bool channels_of_name(std::string_view name, ChannelSet& channels);

}  // namespace tellwick
