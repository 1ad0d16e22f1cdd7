// The game draws some characters from a private-use area of its own font
// (party slots, arrows, the HQ mark, ...); outside the game they show as
// boxes. Each one known gets a readable stand-in: a Unicode look-alike where
// one exists, else a short text. Unknown private-use characters stay as
// they are, so nothing is lost.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace tellwick {

// The stand-in for a code point, or an empty view when it has none.
std::string_view game_glyph_stand_in(std::uint32_t code_point);

// Whether `text` (well-formed UTF-8) may hold a glyph that has a stand-in:
// every one of them is encoded with a lead byte 0xEE.
bool may_hold_game_glyphs(std::string_view text);

// Whether a text search for `needle` (UTF-8, ASCII letters in either case)
// could find a match that takes in part of a glyph's stand-in: the needle
// holds a stand-in, lies in one, or begins with a stand-in's end or ends
// with its beginning. False means an entry's glyphs can never make it match.
bool search_may_meet_game_glyphs(std::string_view needle);

// The same, glyph by glyph: every glyph with a stand-in lies in
// U+E000..U+E0FF, and is named here by its low byte.
using GlyphSet = std::bitset<256>;
GlyphSet glyphs_a_search_may_meet(std::string_view needle);

// Appends `text` (well-formed UTF-8) with each known glyph replaced by its
// stand-in.
void append_with_game_glyphs(std::string_view text, std::string& out);

}  // namespace tellwick
