// Saves keys into a settings file through the program's own profile
// functions, as another Tellwick process would, for the tests of saves made
// at the same time:
//   profile_writer FILE SECTION COUNT GO
// waits until GO exists, so that every writer starts at once, then saves the
// keys K0 .. K<COUNT-1> of SECTION one save each, the value of Kn being n.
// Exit code 0 when every save succeeded, 1 when one failed or the arguments
// are wrong, 2 when GO did not come in time (so a failed test leaves
// nothing running).
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/profile.h"

namespace {

namespace fs = std::filesystem;

constexpr auto kPollInterval = std::chrono::milliseconds(1);
constexpr auto kLongestWait = std::chrono::seconds(60);

std::u16string decimal(int n) {
  const std::string text = std::to_string(n);
  return std::u16string(text.begin(), text.end());
}

int write_keys(const fs::path& file, const fs::path& section, int count, const fs::path& go) {
  const auto give_up = std::chrono::steady_clock::now() + kLongestWait;
  std::error_code ignored;
  while (!fs::exists(go, ignored)) {
    if (std::chrono::steady_clock::now() > give_up) return 2;
    std::this_thread::sleep_for(kPollInterval);
  }
  const std::u16string file_name = file.u16string();
  const std::u16string section_name = section.u16string();
  bool all_saved = true;
  for (int i = 0; i < count; ++i) {
    const std::u16string key = u"K" + decimal(i);
    const std::u16string value = decimal(i);
    all_saved &= tellwick::profile_write_string(section_name.c_str(), key.c_str(), value.c_str(), file_name.c_str());
  }
  return all_saved ? 0 : 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
  if (argc != 5) return 1;
  const int count = std::stoi(fs::path(argv[3]).string());
  return write_keys(argv[1], argv[2], count, argv[4]);
}
