// The text of one entry taken apart: control sequences out, then sender and
// message. The game writes a sender field before the message, each field
// opened by a separator: ":" in the logs as they have long been known
// (":Sender:message", "::message" without a sender), or the unit separator
// 0x1F. A text without a separator at its start is a message alone, unless
// a 0x1F splits it ("Sender\x1Fmessage").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tellwick {

// What the game shows for one control sequence, appended to `out`:
// `sequence` holds its `length` bytes from the start byte 0x02 on (fewer
// than it declares where the line ended first). Most markup shows nothing;
// these show text:
//   new line (type 0x10)           "\n", a line break in the message
//   soft hyphen (0x16)             nothing: a place where a word may break
//   non-breaking space (0x1D)      " "
//   hyphen (0x1F)                  "-"
//   icon 88 (0x12), cross-world    "@", between a name and its world
//   auto-translate phrase (0x2E)   "{AT group:key}"; its words live in the
//                                  game's data files. A payload that does not
//                                  hold two whole integers shows its bytes in
//                                  hex: "{AT 05 F2}".
// Every other icon is a picture without words and shows nothing.
void append_sequence_text(const std::uint8_t* sequence, std::size_t length, std::string& out);

// Appends `text` with the shown forms of control sequences ("[02 1D 01
// 03]", as an export made with CTRLTOSTR on shows them) replaced by what the
// game shows for them. Only a form that is exactly what the exporter writes
// is taken for one: a "[" followed by upper-case hex byte pairs separated by
// single spaces and a "]", whose first byte is 0x02 and whose byte count is
// the length that the sequence's own packed integer declares; or fewer bytes
// when the form ends the text, where the exporter ends a sequence that runs
// past the line. Any other bracketed text stays as it is.
void append_with_shown_sequences(std::string_view text, std::string& out);

// Appends the `length` bytes of an entry's text as they stand in a chunk
// file, each control sequence replaced by what the game shows for it. A
// sequence that declares more bytes than are left ends with the text; a
// zero byte outside a sequence ends the text, as it ends the entry line.
void append_with_raw_sequences(const char* text, std::size_t length, std::string& out);

struct EntryFields {
  std::string_view sender;  // empty when the entry has none
  std::string_view message;
  // How many unit separators (0x1F) the split took out of the text: when
  // the text holds no more, the fields hold none.
  int unit_separators = 0;
};

EntryFields split_entry_text(std::string_view text);
// The same, told where the text's first two unit separators are (npos
// where it holds fewer), as a look at its bytes already found.
EntryFields split_entry_text(std::string_view text, std::size_t first_separator, std::size_t second_separator);

}  // namespace tellwick
