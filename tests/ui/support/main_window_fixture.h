// A main window created from the real template in a fresh folder: the
// working directory (settings file, log folder) and a game user folder of
// its own, both removed afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/current_dir.h"
#include "support/temp_dir.h"

namespace tellwick::test {

// 2014-03-05 09:55:24 UTC: 18:55:24 in Tokyo, the time zone the tests run in.
constexpr std::uint32_t kFirstEntryTime = 0x5316F48C;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The settings file as the user left it, before start().
  void write_settings(const std::string& text);
  // A character folder with a log folder; with chunk files when asked.
  std::filesystem::path add_character(const std::u16string& name, bool with_chunks = false);

  // Loads the settings, creates the main window and shows it, as start-up does.
  HWND start();

  std::wstring text_of(int control) const;
  std::vector<std::wstring> list_items() const;
  int selected_item() const;
  void select_item(int index);  // as the user picks it: the list notifies its window
  // A key's value in the settings file, or "<none>" when it is missing.
  std::wstring setting(const char16_t* section, const char16_t* key) const;

  TempDir dir_;
  std::filesystem::path work_;
  std::filesystem::path game_;
  HWND window_ = nullptr;

 private:
  std::unique_ptr<CurrentDirScope> cwd_;
};

}  // namespace tellwick::test
