// The text of one entry taken apart: control sequences out, then sender and
// message. The game writes a sender field before the message, each field
// opened by a separator: ":" in the logs as they have long been known
// (":Sender:message", "::message" without a sender), or the unit separator
// 0x1F. A text without a separator at its start is a message alone, unless
// a 0x1F splits it ("Sender\x1Fmessage").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tellwick {

// Appends `text` to `out` without the shown forms of control sequences
// ("[02 10 01 03]", as an export made with CTRLTOSTR on shows them). Only a
// form that is exactly what the exporter writes is taken for one: a "["
// followed by upper-case hex byte pairs separated by single spaces and a
// "]", whose first byte is 0x02 and whose byte count is the length that the
// sequence's own packed integer declares; or fewer bytes when the form ends
// the text, where the exporter ends a sequence that runs past the line.
// Any other bracketed text stays as it is.
void append_without_shown_sequences(std::string_view text, std::string& out);

struct EntryFields {
  std::string_view sender;  // empty when the entry has none
  std::string_view message;
};

EntryFields split_entry_text(std::string_view text);

}  // namespace tellwick
