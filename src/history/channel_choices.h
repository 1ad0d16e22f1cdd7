// The channel choices of the history window, and the colour each channel's
// text has in the game's chat log as the game sets it out of the box.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/channels.h"

namespace tellwick {

struct ChannelChoice {
  std::u16string label;  // as the window lists it
  std::string key;       // what the settings file keeps: the channel words a reading's --channel takes
  bool all = false;
  ChannelSet channels;
};

// "すべて", the groups (会話, パーティ, フリーカンパニー, リンクシェル, Tell,
// バトル, システム), then every named channel by its printed name.
const std::vector<ChannelChoice>& channel_choices();

// The index of the choice with `key`; 0 (all) for a key that names none.
std::size_t channel_choice_of_key(const std::string& key);

// 0xRRGGBB.
std::uint32_t default_channel_colour(int channel);

}  // namespace tellwick
