#include "history/game_glyphs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "history/byte_scans.h"

namespace tellwick {
namespace {

struct GameGlyph {
  std::uint32_t code_point;
  std::string_view stand_in;
};

// The game's glyphs by the names that its public plugin framework (Dalamud's
// SeIconChar) gives them, in code point order. Boxed numbers and letters
// become circled ones, which read as one character in a terminal; glyphs
// without a Unicode look-alike become a short word, in parentheses where
// the game draws them beside a word ("Potion(HQ)").
// clang-format off
constexpr GameGlyph kGameGlyphs[] = {
    {0xE020, "あ"},  // ImeHiragana
    {0xE021, "ア"},  // ImeKatakana
    {0xE022, "Ａ"},  // ImeAlphanumeric
    {0xE023, "ｱ"},  // ImeKatakanaHalfWidth
    {0xE024, "A"},  // ImeAlphanumericHalfWidth
    {0xE031, "⌚"},  // Clock
    {0xE033, "iLv"},  // ItemLevel
    {0xE034, "🌱"},  // BotanistSprout
    {0xE035, "↓"},  // ArrowDown
    {0xE03A, "ELv"},  // EurekaLevel
    {0xE03B, "(glamoured)"},  // Glamoured
    {0xE03C, "(HQ)"},  // HighQuality
    {0xE03D, "(collectable)"},  // Collectible
    {0xE03E, "⚄"},  // Dice
    {0xE040, "«"},  // AutoTranslateOpen
    {0xE041, "»"},  // AutoTranslateClose
    {0xE042, "⬡"},  // Hexagon
    {0xE043, "⊘"},  // Prohibited
    {0xE048, "(Hydaelyn)"},  // Hyadelyn
    {0xE049, "gil"},  // Gil
    {0xE04A, "○"},  // Circle
    {0xE04B, "□"},  // Square
    {0xE04C, "×"},  // Cross
    {0xE04D, "△"},  // Triangle
    {0xE04E, "(glamoured, dyed)"},  // GlamouredDyed
    {0xE050, "(mouse)"},  // MouseNoClick
    {0xE051, "(left click)"},  // MouseLeftClick
    {0xE052, "(right click)"},  // MouseRightClick
    {0xE053, "(left and right click)"},  // MouseBothClick
    {0xE054, "(mouse wheel)"},  // MouseWheel
    {0xE055, "(mouse 1)"},  // Mouse1
    {0xE056, "(mouse 2)"},  // Mouse2
    {0xE057, "(mouse 3)"},  // Mouse3
    {0xE058, "(mouse 4)"},  // Mouse4
    {0xE059, "(mouse 5)"},  // Mouse5
    {0xE05B, "(debuff)"},  // Debuff
    {0xE05C, "(buff)"},  // Buff
    {0xE05D, "@"},  // CrossWorld
    {0xE060, "0"},  // Number0
    {0xE061, "1"},  // Number1
    {0xE062, "2"},  // Number2
    {0xE063, "3"},  // Number3
    {0xE064, "4"},  // Number4
    {0xE065, "5"},  // Number5
    {0xE066, "6"},  // Number6
    {0xE067, "7"},  // Number7
    {0xE068, "8"},  // Number8
    {0xE069, "9"},  // Number9
    {0xE06A, "Lv"},  // LevelEn
    {0xE06B, "St"},  // LevelDe
    {0xE06C, "Niv"},  // LevelFr
    {0xE06D, "AM"},  // TimeAm
    {0xE06E, "PM"},  // TimePm
    {0xE06F, "→"},  // ArrowRight
    {0xE070, "⍰"},  // BoxedQuestionMark
    {0xE071, "Ⓐ"},  // BoxedLetterA
    {0xE072, "Ⓑ"},  // BoxedLetterB
    {0xE073, "Ⓒ"},  // BoxedLetterC
    {0xE074, "Ⓓ"},  // BoxedLetterD
    {0xE075, "Ⓔ"},  // BoxedLetterE
    {0xE076, "Ⓕ"},  // BoxedLetterF
    {0xE077, "Ⓖ"},  // BoxedLetterG
    {0xE078, "Ⓗ"},  // BoxedLetterH
    {0xE079, "Ⓘ"},  // BoxedLetterI
    {0xE07A, "Ⓙ"},  // BoxedLetterJ
    {0xE07B, "Ⓚ"},  // BoxedLetterK
    {0xE07C, "Ⓛ"},  // BoxedLetterL
    {0xE07D, "Ⓜ"},  // BoxedLetterM
    {0xE07E, "Ⓝ"},  // BoxedLetterN
    {0xE07F, "Ⓞ"},  // BoxedLetterO
    {0xE080, "Ⓟ"},  // BoxedLetterP
    {0xE081, "Ⓠ"},  // BoxedLetterQ
    {0xE082, "Ⓡ"},  // BoxedLetterR
    {0xE083, "Ⓢ"},  // BoxedLetterS
    {0xE084, "Ⓣ"},  // BoxedLetterT
    {0xE085, "Ⓤ"},  // BoxedLetterU
    {0xE086, "Ⓥ"},  // BoxedLetterV
    {0xE087, "Ⓦ"},  // BoxedLetterW
    {0xE088, "Ⓧ"},  // BoxedLetterX
    {0xE089, "Ⓨ"},  // BoxedLetterY
    {0xE08A, "Ⓩ"},  // BoxedLetterZ
    {0xE08F, "⓪"},  // BoxedNumber0
    {0xE090, "①"},  // BoxedNumber1
    {0xE091, "②"},  // BoxedNumber2
    {0xE092, "③"},  // BoxedNumber3
    {0xE093, "④"},  // BoxedNumber4
    {0xE094, "⑤"},  // BoxedNumber5
    {0xE095, "⑥"},  // BoxedNumber6
    {0xE096, "⑦"},  // BoxedNumber7
    {0xE097, "⑧"},  // BoxedNumber8
    {0xE098, "⑨"},  // BoxedNumber9
    {0xE099, "⑩"},  // BoxedNumber10
    {0xE09A, "⑪"},  // BoxedNumber11
    {0xE09B, "⑫"},  // BoxedNumber12
    {0xE09C, "⑬"},  // BoxedNumber13
    {0xE09D, "⑭"},  // BoxedNumber14
    {0xE09E, "⑮"},  // BoxedNumber15
    {0xE09F, "⑯"},  // BoxedNumber16
    {0xE0A0, "⑰"},  // BoxedNumber17
    {0xE0A1, "⑱"},  // BoxedNumber18
    {0xE0A2, "⑲"},  // BoxedNumber19
    {0xE0A3, "⑳"},  // BoxedNumber20
    {0xE0A4, "㉑"},  // BoxedNumber21
    {0xE0A5, "㉒"},  // BoxedNumber22
    {0xE0A6, "㉓"},  // BoxedNumber23
    {0xE0A7, "㉔"},  // BoxedNumber24
    {0xE0A8, "㉕"},  // BoxedNumber25
    {0xE0A9, "㉖"},  // BoxedNumber26
    {0xE0AA, "㉗"},  // BoxedNumber27
    {0xE0AB, "㉘"},  // BoxedNumber28
    {0xE0AC, "㉙"},  // BoxedNumber29
    {0xE0AD, "㉚"},  // BoxedNumber30
    {0xE0AE, "㉛"},  // BoxedNumber31
    {0xE0AF, "⊞"},  // BoxedPlus
    {0xE0B1, "⑴"},  // Instance1
    {0xE0B2, "⑵"},  // Instance2
    {0xE0B3, "⑶"},  // Instance3
    {0xE0B4, "⑷"},  // Instance4
    {0xE0B5, "⑸"},  // Instance5
    {0xE0B6, "⑹"},  // Instance6
    {0xE0B7, "⑺"},  // Instance7
    {0xE0B8, "⑻"},  // Instance8
    {0xE0B9, "⑼"},  // Instance9
    {0xE0BA, "(merged)"},  // InstanceMerged
    {0xE0BB, "↗"},  // LinkMarker
    {0xE0BC, "EXP"},  // Experience
    {0xE0BD, "EXP"},  // ExperienceFilled
    {0xE0BE, "(synced)"},  // QuestSync
    {0xE0BF, "(repeatable)"},  // QuestRepeatable
    {0xE0C0, "★"},  // BoxedStar
    {0xE0C1, "Ⅰ"},  // BoxedRoman1
    {0xE0C2, "Ⅱ"},  // BoxedRoman2
    {0xE0C3, "Ⅲ"},  // BoxedRoman3
    {0xE0C4, "Ⅳ"},  // BoxedRoman4
    {0xE0C5, "Ⅴ"},  // BoxedRoman5
    {0xE0C6, "Ⅵ"},  // BoxedRoman6
    {0xE0D0, "LT"},  // LocalTimeEn
    {0xE0D1, "ST"},  // ServerTimeEn
    {0xE0D2, "ET"},  // EorzeaTimeEn
    {0xE0D3, "LT"},  // LocalTimeDe
    {0xE0D4, "ST"},  // ServerTimeDe
    {0xE0D5, "ET"},  // EorzeaTimeDe
    {0xE0D6, "LT"},  // LocalTimeFr
    {0xE0D7, "ST"},  // ServerTimeFr
    {0xE0D8, "ET"},  // EorzeaTimeFr
    {0xE0D9, "LT"},  // LocalTimeJa
    {0xE0DA, "ST"},  // ServerTimeJa
    {0xE0DB, "ET"},  // EorzeaTimeJa
};
// clang-format on

constexpr bool all_in_one_block() {
  for (const GameGlyph& glyph : kGameGlyphs) {
    if ((glyph.code_point & ~0xFFu) != 0xE000) return false;
  }
  return true;
}
static_assert(all_in_one_block(), "the stand-ins are found by the low byte of U+E000..U+E0FF");

// A line of text is written without looking at stand-ins again: none may
// hold a control character (C0, DEL, C1, U+2028, U+2029).
constexpr bool no_control_characters() {
  for (const GameGlyph& glyph : kGameGlyphs) {
    const std::string_view s = glyph.stand_in;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const auto b = static_cast<unsigned char>(s[i]);
      const auto next = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0; };
      if (b < 0x20 || b == 0x7F || (b == 0xC2 && next(1) <= 0x9F) ||
          (b == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9))) {
        return false;
      }
    }
  }
  return true;
}
static_assert(no_control_characters(), "stand-ins are written as they are");

// Nor a field separator (the unit separator is a control character): an
// entry's text splits into sender and message the same before and after its
// glyphs are replaced.
constexpr bool no_field_separators() {
  for (const GameGlyph& glyph : kGameGlyphs) {
    if (glyph.stand_in.find(':') != std::string_view::npos) return false;
  }
  return true;
}
static_assert(no_field_separators(), "stand-ins may be put in after an entry is taken apart");

// Nor a character that JSON escapes: a text is escaped the same before and
// after its glyphs are replaced.
constexpr bool nothing_json_escapes() {
  for (const GameGlyph& glyph : kGameGlyphs) {
    if (glyph.stand_in.find_first_of("\"\\") != std::string_view::npos) return false;
  }
  return true;
}
static_assert(nothing_json_escapes(), "stand-ins may be put in after a text is escaped");

constexpr bool none_longer_than_the_longest() {
  for (const GameGlyph& glyph : kGameGlyphs) {
    if (glyph.stand_in.size() > kLongestStandIn) return false;
  }
  return true;
}
static_assert(none_longer_than_the_longest(), "writers make room for kLongestStandIn");

// U+E000..U+EFFF in UTF-8; the text is well-formed, so two continuation bytes follow.
constexpr char kGlyphLead = '\xEE';

// Each glyph's stand-in by the low byte of its code point. More than half
// of all entries hold a glyph, so it is found without a search, in a room
// of a fixed size that writers copy whole.
static_assert(kLongestStandIn <= PaddedStandIn::kRoom);
constexpr auto kPaddedStandIns = [] {
  std::array<PaddedStandIn, 256> padded{};
  for (const GameGlyph& glyph : kGameGlyphs) {
    PaddedStandIn& room = padded[glyph.code_point & 0xFF];
    std::copy(glyph.stand_in.begin(), glyph.stand_in.end(), room.text);
    room.size = glyph.stand_in.size();
  }
  return padded;
}();

std::string_view stand_in_of(const PaddedStandIn& room) { return std::string_view(room.text, room.size); }

// Calls `each(lead, stand_in)` for each glyph of `text` that has a stand-in,
// in order; `lead` is the offset of its first byte, the glyph's three bytes
// from there on. A glyph's lead byte is never one of its continuation
// bytes: the look for the next goes on after the lead.
template <typename Each>
void for_each_known_glyph(std::string_view text, Each each) {
  const char* s = text.data();
  const std::size_t size = text.size();
  for (std::size_t lead = find_byte(s, size, 0, kGlyphLead); lead + 3 <= size;
       lead = find_byte(s, size, lead + 1, kGlyphLead)) {
    const unsigned low =
        (static_cast<unsigned char>(s[lead + 1]) & 0x3Fu) << 6 | (static_cast<unsigned char>(s[lead + 2]) & 0x3Fu);
    // Only U+E000..U+E0FF have stand-ins.
    if (low > 0xFF) continue;
    if (const PaddedStandIn& room = kPaddedStandIns[low]; room.size != 0) each(lead, stand_in_of(room));
  }
}

}  // namespace

std::string_view game_glyph_stand_in(std::uint32_t code_point) {
  if ((code_point & ~0xFFu) != 0xE000) return {};
  return stand_in_of(kPaddedStandIns[code_point & 0xFF]);
}

const PaddedStandIn& padded_stand_in(std::uint8_t low) { return kPaddedStandIns[low]; }

GlyphSet glyphs_a_search_may_meet(std::string_view needle) {
  GlyphSet glyphs;
  if (needle.empty()) return glyphs;
  const auto folded = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  const auto same = [&](std::string_view a, std::string_view b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (folded(a[i]) != folded(b[i])) return false;
    }
    return true;
  };
  // Whether `outer` holds `inner` anywhere.
  const auto holds = [&](std::string_view outer, std::string_view inner) {
    for (std::size_t i = 0; i + inner.size() <= outer.size(); ++i) {
      if (same(outer.substr(i, inner.size()), inner)) return true;
    }
    return false;
  };
  for (const GameGlyph& glyph : kGameGlyphs) {
    const std::string_view stand_in = glyph.stand_in;
    bool meets = holds(needle, stand_in) || holds(stand_in, needle);
    // A match that starts or ends inside the stand-in.
    const std::size_t overlap = std::min(needle.size(), stand_in.size());
    for (std::size_t k = 1; k <= overlap && !meets; ++k) {
      meets = same(needle.substr(0, k), stand_in.substr(stand_in.size() - k)) ||
              same(needle.substr(needle.size() - k), stand_in.substr(0, k));
    }
    if (meets) glyphs.set(glyph.code_point & 0xFF);
  }
  return glyphs;
}

std::size_t size_with_game_glyphs(std::string_view text) {
  return size_with_stand_ins(text, [&](auto each) { for_each_known_glyph(text, each); });
}

char* put_with_game_glyphs(std::string_view text, char* out) {
  return put_with_stand_ins(
      text, [&](auto each) { for_each_known_glyph(text, each); }, out);
}

void append_with_game_glyphs(std::string_view text, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + size_with_game_glyphs(text));
  put_with_game_glyphs(text, out.data() + start);
}

}  // namespace tellwick
