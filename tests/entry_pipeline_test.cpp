// The per-entry pipeline judges most lines no materia candidate from the entry
// line's prefix alone; an entry time below 0x100 leaves the prefix all digits,
// and the whole line must then decide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/entry_pipeline.h"
#include "output/output_file.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

// The recipe file's size after one entry went through the pipeline.
std::uintmax_t recipe_size_after(std::uint32_t time, std::uint32_t code, const std::string& text) {
  std::vector<std::uint8_t> bytes(8 + text.size());
  for (int k = 0; k < 4; ++k) {
    bytes[k] = static_cast<std::uint8_t>(time >> (8 * k));
    bytes[4 + k] = static_cast<std::uint8_t>(code >> (8 * k));
  }
  std::copy(text.begin(), text.end(), bytes.begin() + 8);
  const ChunkEntry entry{bytes.data(), bytes.size(), bytes.data() + bytes.size()};

  test::TempDir dir;
  auto recipe = std::make_unique<OutputFile>();
  EXPECT_TRUE(output_create(*recipe, dir.file("recipe.log").c_str()));
  auto out = std::make_unique<EntryOutput>();
  const ReportSink quiet;
  start_entry_output(*out, nullptr, recipe.get(), ExportOptions{kCharsetUtf8, false, false}, quiet);
  export_entry(entry, *out);
  EXPECT_TRUE(output_close(*recipe));
  return test::read_bytes(dir.file("recipe.log")).size();
}

TEST(EntryPipeline, AnAllDigitPrefixLeavesTheMateriaTestToTheWholeLine) {
  const std::string message =
      "::Aaa Bbb:Sword\xE3\x81\x8B\xE3\x82\x89Stone\xE3\x81\x8C\xE7\x94\x9F\xE6\x88\x90"
      "\xE3\x81\x95\xE3\x82\x8C\xE3\x81\x9F\xEF\xBC\x81";         // からStoneが生成された！
  EXPECT_GT(recipe_size_after(0x00000000, 0x0046, message), 0u);  // "000000000046": leading number 46
  EXPECT_EQ(recipe_size_after(0x6B0F2740, 0x0046, message), 0u);  // "6B0F27400046": leading number 6
}

}  // namespace
}  // namespace tellwick
