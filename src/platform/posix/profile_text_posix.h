// A settings file as a list of lines that keep their stored bytes, so that an
// edit rewrites only the lines it touches and leaves every other byte alone.
// Lines are read the way Windows' profile functions read them: the file is
// code page 932 unless it starts with a UTF-16LE byte order mark, a line ends
// at CR, LF or CR LF, and white space around names and values does not count.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tellwick {

enum class ProfileEncoding { kAnsi, kUtf16Le };

struct ProfileLine {
  std::string bytes;    // as stored, line end included
  std::u16string text;  // decoded, without the line end
  bool ended = false;   // whether `bytes` has a line end (only the last line may lack one)
};

struct ProfileText {
  ProfileEncoding encoding = ProfileEncoding::kAnsi;
  std::string byte_order_mark;  // empty for code page 932
  std::vector<ProfileLine> lines;
};

enum class ProfileLineKind { kBlank, kSection, kKey };

// What one line means. Names and values point into the line's text.
struct ProfileEntry {
  ProfileLineKind kind = ProfileLineKind::kBlank;
  std::u16string_view name;   // section name, or key name
  bool has_value = false;     // a key line with "="
  std::u16string_view value;  // up to the end of the line or the first U+0000
};

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

ProfileText parse_profile_text(const std::string& bytes);
std::string profile_text_bytes(const ProfileText& text);

ProfileEntry read_profile_line(const std::u16string& text);

// A line holding `text`, in the file's encoding, ended with CR LF.
ProfileLine make_profile_line(ProfileEncoding encoding, std::u16string text);
// Gives the last line a line end when it has none, so that lines can follow it.
void end_last_profile_line(ProfileText& text);

// White space as the profile functions skip it around names and values.
bool is_profile_space(char16_t c);
std::u16string_view trim_profile_spaces(std::u16string_view s);
std::u16string_view trim_leading_profile_spaces(std::u16string_view s);

// Index of the first section line named `name` (already trimmed), without
// regard to ASCII letter case; kNotFound when there is none.
std::size_t find_profile_section(const ProfileText& text, std::u16string_view name);
// Index of the line after the section's last line: the next section line or the end.
std::size_t profile_section_end(const ProfileText& text, std::size_t section_line);
// Index of the first key line named `name` in the section; kNotFound when there is none.
std::size_t find_profile_key(const ProfileText& text, std::size_t section_line, std::u16string_view name);

}  // namespace tellwick
