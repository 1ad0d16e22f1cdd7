#include "history/channels.h"

#include <array>
#include <string_view>

#include "gamelog/entry_line.h"

namespace tellwick {
namespace {

struct NamedChannel {
  int channel;
  const char* name;
};

// As Dalamud's XivChatType documents them.
// clang-format off
constexpr NamedChannel kNamedChannels[] = {
    {0x00, "None"},          {0x01, "Debug"},          {0x02, "Urgent"},
    {0x03, "Notice"},        {0x0A, "Say"},            {0x0B, "Shout"},
    {0x0C, "TellOutgoing"},  {0x0D, "TellIncoming"},   {0x0E, "Party"},
    {0x0F, "Alliance"},      {0x10, "Ls1"},            {0x11, "Ls2"},
    {0x12, "Ls3"},           {0x13, "Ls4"},            {0x14, "Ls5"},
    {0x15, "Ls6"},           {0x16, "Ls7"},            {0x17, "Ls8"},
    {0x18, "FreeCompany"},   {0x1B, "NoviceNetwork"},  {0x1C, "CustomEmote"},
    {0x1D, "StandardEmote"}, {0x1E, "Yell"},           {0x20, "CrossParty"},
    {0x24, "PvPTeam"},       {0x25, "CrossLinkShell1"}, {0x38, "Echo"},
    {0x39, "SystemMessage"}, {0x3A, "SystemError"},    {0x3B, "GatheringSystemMessage"},
    {0x3C, "ErrorMessage"},  {0x3D, "NPCDialogue"},    {0x44, "NPCDialogueAnnouncements"},
    {0x47, "RetainerSale"},  {0x65, "CrossLinkShell2"}, {0x66, "CrossLinkShell3"},
    {0x67, "CrossLinkShell4"}, {0x68, "CrossLinkShell5"}, {0x69, "CrossLinkShell6"},
    {0x6A, "CrossLinkShell7"}, {0x6B, "CrossLinkShell8"},
};
// clang-format on

// clang-format off
constexpr int kChatChannels[] = {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16,
                                 0x17, 0x18, 0x1B, 0x1C, 0x1E, 0x20, 0x24, 0x25, 0x65, 0x66, 0x67, 0x68, 0x69,
                                 0x6A, 0x6B};
// clang-format on
constexpr int kBattleChannels[] = {0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x3A};

// "0x00" to "0x7F", what a channel without a name of its own shows.
struct HexNames {
  char text[kChannelCount][4];
};

constexpr HexNames kHexNames = [] {
  constexpr char kDigits[] = "0123456789ABCDEF";
  HexNames hex{};
  for (int c = 0; c < kChannelCount; ++c) {
    hex.text[c][0] = '0';
    hex.text[c][1] = 'x';
    hex.text[c][2] = kDigits[c >> 4];
    hex.text[c][3] = kDigits[c & 0xF];
  }
  return hex;
}();

// Looked up for every line printed: made when the program is built.
constexpr auto kChannelNames = [] {
  std::array<std::string_view, kChannelCount> names{};
  for (int c = 0; c < kChannelCount; ++c) names[c] = std::string_view(kHexNames.text[c], 4);
  for (const NamedChannel& n : kNamedChannels) names[n.channel] = n.name;
  return names;
}();

constexpr auto kPaddedChannelNames = [] {
  std::array<PaddedChannelName, kChannelCount> padded{};
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string_view name = kChannelNames[c];
    for (std::size_t i = 0; i < name.size(); ++i) padded[c].text[i] = name[i];
    padded[c].size = name.size();
  }
  return padded;
}();
static_assert(kLongestChannelName <= PaddedChannelName::kRoom);

constexpr bool names_are_letters_and_digits() {
  for (const std::string_view name : kChannelNames) {
    if (name.size() > kLongestChannelName) return false;
    for (const char c : name) {
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    }
  }
  return true;
}
static_assert(names_are_letters_and_digits(), "a name goes into JSON as it is");

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

template <std::size_t N>
void add_all(const int (&list)[N], ChannelSet& channels) {
  for (int c : list) channels.set(static_cast<std::size_t>(c));
}

}  // namespace

std::string_view printed_channel_name(int channel) { return kChannelNames[channel & 0x7F]; }

const PaddedChannelName& padded_channel_name(int channel) { return kPaddedChannelNames[channel & 0x7F]; }

bool channels_of_name(std::string_view name, ChannelSet& channels) {
  if (same_ignoring_case(name, "chat")) {
    add_all(kChatChannels, channels);
    return true;
  }
  if (same_ignoring_case(name, "battle")) {
    add_all(kBattleChannels, channels);
    return true;
  }
  // Any channel by number, named or not: "0x0A" is Say.
  if (name.size() >= 3 && name.size() <= 4 && name[0] == '0' && ascii_lower(name[1]) == 'x') {
    int channel = 0;
    for (std::size_t i = 2; i < name.size(); ++i) {
      const int digit = hex_digit_value(static_cast<unsigned char>(name[i]));
      if (digit < 0) return false;
      channel = channel * 16 + digit;
    }
    if (channel >= kChannelCount) return false;
    channels.set(static_cast<std::size_t>(channel));
    return true;
  }
  for (int c = 0; c < kChannelCount; ++c) {
    if (same_ignoring_case(name, kChannelNames[c])) {
      channels.set(static_cast<std::size_t>(c));
      return true;
    }
  }
  return false;
}

}  // namespace tellwick
