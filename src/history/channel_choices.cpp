#include "history/channel_choices.h"

#include "history/history_filter.h"

namespace tellwick {
namespace {

struct Group {
  const char16_t* label;
  const char* words;
};

// The groups name channels as a reading's --channel does, so that the key
// kept for a choice means the same to both.
constexpr Group kGroups[] = {
    {u"会話", "chat"},
    {u"パーティ", "Party,CrossParty,Alliance"},
    {u"フリーカンパニー", "FreeCompany"},
    {u"リンクシェル",
     "Ls1,Ls2,Ls3,Ls4,Ls5,Ls6,Ls7,Ls8,CrossLinkShell1,CrossLinkShell2,CrossLinkShell3,CrossLinkShell4,"
     "CrossLinkShell5,CrossLinkShell6,CrossLinkShell7,CrossLinkShell8"},
    {u"Tell", "TellOutgoing,TellIncoming"},
    {u"バトル", "battle"},
    {u"システム", "Debug,Urgent,Notice,Echo,SystemMessage,GatheringSystemMessage,ErrorMessage,RetainerSale"},
};

std::vector<ChannelChoice> make_choices() {
  std::vector<ChannelChoice> choices;
  ChannelChoice all;
  all.label = u"すべて";
  all.all = true;
  choices.push_back(all);
  for (const Group& g : kGroups) {
    ChannelChoice choice;
    choice.label = g.label;
    choice.key = g.words;
    HistoryFilter filter;
    std::string unknown;
    add_channel_filter(choice.key, filter, unknown);
    choice.channels = filter.channels;
    choices.push_back(choice);
  }
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string_view name = printed_channel_name(c);
    if (name.starts_with("0x")) continue;  // no name of its own
    ChannelChoice choice;
    choice.label.assign(name.begin(), name.end());
    choice.key = std::string(name);
    choice.channels.set(static_cast<std::size_t>(c));
    choices.push_back(choice);
  }
  return choices;
}

// The chat log's colours as a new character has them.
struct Colour {
  int channel;
  std::uint32_t rgb;
};
constexpr std::uint32_t kOtherColour = 0xDCDCDC;
constexpr std::uint32_t kLinkshellColour = 0xD4FF7D;
constexpr std::uint32_t kBattleColour = 0xB4B4B4;
// clang-format off
constexpr Colour kColours[] = {
    {0x0A, 0xF7F7F7},  // Say
    {0x0B, 0xFFA666},  // Shout
    {0x0C, 0xFFB8DE},  // TellOutgoing
    {0x0D, 0xFFB8DE},  // TellIncoming
    {0x0E, 0x66E5FF},  // Party
    {0x0F, 0xFF7F00},  // Alliance
    {0x18, 0xABDB8C},  // FreeCompany
    {0x1B, 0xD4FF7D},  // NoviceNetwork
    {0x1C, 0xBAFFF0},  // CustomEmote
    {0x1D, 0xBAFFF0},  // StandardEmote
    {0x1E, 0xFFFF00},  // Yell
    {0x20, 0x66E5FF},  // CrossParty
    {0x24, 0xABDBE5},  // PvPTeam
    {0x38, 0xCCCCCC},  // Echo
    {0x39, 0xCCCCCC},  // SystemMessage
    {0x3A, 0xFF4A4A},  // SystemError
    {0x3B, 0xCCCCCC},  // GatheringSystemMessage
    {0x3C, 0xFF4A4A},  // ErrorMessage
    {0x3D, 0xABD647},  // NPCDialogue
    {0x44, 0xABD647},  // NPCDialogueAnnouncements
    {0x47, 0xCCCCCC},  // RetainerSale
};
// clang-format on

}  // namespace

const std::vector<ChannelChoice>& channel_choices() {
  static const std::vector<ChannelChoice> choices = make_choices();
  return choices;
}

std::size_t channel_choice_of_key(const std::string& key) {
  const std::vector<ChannelChoice>& choices = channel_choices();
  for (std::size_t i = 1; i < choices.size(); ++i) {
    if (choices[i].key == key) return i;
  }
  return 0;
}

std::uint32_t default_channel_colour(int channel) {
  channel &= 0x7F;
  for (const Colour& c : kColours) {
    if (c.channel == channel) return c.rgb;
  }
  if ((channel >= 0x10 && channel <= 0x17) || channel == 0x25 || (channel >= 0x65 && channel <= 0x6B)) {
    return kLinkshellColour;
  }
  if (channel >= 0x29 && channel <= 0x31) return kBattleColour;
  return kOtherColour;
}

}  // namespace tellwick
