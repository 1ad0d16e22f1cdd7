// The game draws some characters from a private-use area of its own font
// (party slots, arrows, the HQ mark, ...); outside the game they show as
// boxes. Each one known gets a readable stand-in: a Unicode look-alike where
// one exists, else a short text. Unknown private-use characters stay as
// they are, so nothing is lost.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tellwick {

// The stand-in for a code point, or an empty view when it has none.
std::string_view game_glyph_stand_in(std::uint32_t code_point);
// No stand-in is longer, so a writer can make room for the longest.
constexpr std::size_t kLongestStandIn = 22;

// The stand-in of U+E000 + `low` in a room of a fixed size, for writers
// that copy the whole room at once and move on by its size, which is 0 for
// a glyph without one.
struct PaddedStandIn {
  static constexpr std::size_t kRoom = 24;
  char text[kRoom];
  std::size_t size;
};
const PaddedStandIn& padded_stand_in(std::uint8_t low);

// The glyphs whose stand-ins a text search for `needle` (UTF-8, ASCII
// letters in either case) could find a match taking in part of: the needle
// holds the stand-in, lies in it, or begins with its end or ends with its
// beginning. An entry's other glyphs can never make it match. Every glyph
// with a stand-in lies in U+E000..U+E0FF, and is named by its low byte.
using GlyphSet = std::bitset<256>;
GlyphSet glyphs_a_search_may_meet(std::string_view needle);

// Appends `text` (well-formed UTF-8) with each known glyph replaced by its
// stand-in. No stand-in holds a control character, ":", or a character
// JSON escapes, so an entry's text is taken apart into its fields, and
// escaped, the same before and after.
void append_with_game_glyphs(std::string_view text, std::string& out);

// The same in two steps, for a caller that makes room first: the size of
// `text` with its stand-ins, and writing it to `out` (that many bytes);
// returns the end of what was written.
std::size_t size_with_game_glyphs(std::string_view text);
char* put_with_game_glyphs(std::string_view text, char* out);

// The two steps for glyphs a caller has found itself: `for_each_glyph(each)`
// calls `each(lead, stand_in)` for each glyph of `text` to replace, in
// order, `lead` the offset of its three bytes.
template <typename ForEachGlyph>
std::size_t size_with_stand_ins(std::string_view text, ForEachGlyph for_each_glyph) {
  std::size_t size = text.size();
  for_each_glyph([&](std::size_t, std::string_view stand_in) { size = size - 3 + stand_in.size(); });
  return size;
}

template <typename ForEachGlyph>
char* put_with_stand_ins(std::string_view text, ForEachGlyph for_each_glyph, char* out) {
  std::size_t run = 0;
  for_each_glyph([&](std::size_t lead, std::string_view stand_in) {
    std::memcpy(out, text.data() + run, lead - run);
    out += lead - run;
    std::memcpy(out, stand_in.data(), stand_in.size());
    out += stand_in.size();
    run = lead + 3;
  });
  if (run < text.size()) std::memcpy(out, text.data() + run, text.size() - run);
  return out + (text.size() - run);
}

}  // namespace tellwick
