#include "watcher.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace tellwick::gamesim {
namespace fs = std::filesystem;
namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 100ms;
constexpr auto kPatience = 120s;  // a cycle under Wine on a busy machine can be slow
// UTF-8 output, so the check compares export files as they are.
constexpr char kSettings[] = "[GENERIC]\r\nCHARSET=1\r\n";

std::string file_text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t count_of(const std::string& text, const std::string& word) {
  std::size_t n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) ++n;
  return n;
}

}  // namespace

Watcher::Watcher(const fs::path& program, const fs::path& folder, const fs::path& game_folder, int interval_seconds)
    : folder_(folder) {
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  copy_name_ = "tellwick-export-" + std::to_string(stamp);
  std::error_code error;
  fs::create_directories(folder, error);
  std::ofstream(folder / "tellwick.ini", std::ios::binary) << kSettings;
  const fs::path copy = folder / kit::program_file_name(copy_name_);
  fs::copy_file(program, copy, fs::copy_options::overwrite_existing, error);
  if (error) return;
  const kit::ProcessSetup setup{folder, folder / "stdout.txt", folder / "stderr.txt", true};
  kit::start_process(copy, {"--game-dir", game_folder, "--watch", "--interval", std::to_string(interval_seconds)},
                     setup, process_);
}

Watcher::~Watcher() { kit::kill_process(process_); }

int Watcher::scans() const { return static_cast<int>(count_of(file_text(folder_ / "stderr.txt"), copy_name_)); }

bool Watcher::wait_for_scans(int more) const {
  const int target = scans() + more;
  const auto give_up = std::chrono::steady_clock::now() + kPatience;
  while (scans() < target) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
  return true;
}

int Watcher::stop() {
  if (!kit::request_stop(process_, kit::StopRequest::kInterrupt)) return -1;
  return kit::wait_process(process_, std::chrono::duration_cast<std::chrono::milliseconds>(kPatience));
}

std::string Watcher::output() const { return file_text(folder_ / "stdout.txt"); }

}  // namespace tellwick::gamesim
