// The POSIX settings file reader and writer on any file: reading never fails,
// a key written is read back as written, and the keys around it keep their
// values; a key read in every section reads as it does in each. The input is
// the file; its last bytes choose the key to write.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/profile.h"

using namespace tellwick;

namespace {

constexpr std::size_t kBuffer = 256;
// clang-format off
const char16_t* const kNames[] = {u"GENERIC", u"generic", u"LOGDIR", u"A", u"b", u"FFXIV_CHR0040000001A2B3C4D",
                                  u"NAME", u"LASTNO", u"x y", u"ナマエ"};
// clang-format on
const char16_t* const kValues[] = {u"", u"0", u"12345", u"テスト名前", u"a b", u".\\log\\", u"日本語のログ"};

// Values whose bytes survive any rewrite of the file: printable ASCII without
// the quotes and spaces at either end that reading takes away.
bool is_plain(const std::u16string& value) {
  if (value.empty()) return true;
  if (value.front() == u' ' || value.back() == u' ' || value.front() == u'"' || value.front() == u'\'') return false;
  for (char16_t c : value) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::string narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

[[noreturn]] void fail(const char* what, const char16_t* section, const char16_t* key, const std::u16string& expected,
                       const std::u16string& got) {
  std::fprintf(stderr, "%s: [%s] %s: expected \"%s\", read \"%s\"\n", what, narrow(section).c_str(),
               narrow(key).c_str(), narrow(expected).c_str(), narrow(got).c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::u16string path = fuzz::scratch_folder() + u"settings.ini";
  fuzz::write_scratch_file(path, data, size - 3);
  constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];
  const char16_t* section = kNames[data[size - 3] % kNameCount];
  const char16_t* key = kNames[data[size - 2] % kNameCount];
  const char16_t* value = kValues[data[size - 1] % (sizeof kValues / sizeof kValues[0])];

  struct Probe {
    const char16_t* section;
    const char16_t* key;
    std::u16string value;
  };
  std::vector<Probe> probes;
  for (const char16_t* s : kNames) {
    for (const char16_t* k : kNames) {
      std::u16string before = profile_read_string(s, k, u"<none>", kBuffer, path.c_str());
      profile_read_int(s, k, -1, path.c_str());
      if (is_plain(before)) probes.push_back({s, k, std::move(before)});
    }
  }

  // Reading one key in every section reads what each single read does.
  for (const ProfileSectionValue& found : profile_read_key_in_every_section(key, u"<none>", kBuffer, path.c_str())) {
    const std::u16string single = profile_read_string(found.section.c_str(), key, u"<none>", kBuffer, path.c_str());
    if (found.value != single) fail("key in every section", found.section.c_str(), key, single, found.value);
  }

  if (!profile_write_string(section, key, value, path.c_str())) return 0;
  const std::u16string written = profile_read_string(section, key, u"<none>", kBuffer, path.c_str());
  if (written != value) fail("written key", section, key, value, written);

  auto same_name = [](const char16_t* a, const char16_t* b) {
    for (; *a != 0 && *b != 0; ++a, ++b) {
      const char16_t x = (*a >= u'a' && *a <= u'z') ? *a - 32 : *a;
      const char16_t y = (*b >= u'a' && *b <= u'z') ? *b - 32 : *b;
      if (x != y) return false;
    }
    return *a == *b;
  };
  for (const Probe& p : probes) {
    if (same_name(p.section, section) && same_name(p.key, key)) continue;
    const std::u16string after = profile_read_string(p.section, p.key, u"<none>", kBuffer, path.c_str());
    if (after != p.value) fail("other key", p.section, p.key, p.value, after);
  }
  return 0;
}
