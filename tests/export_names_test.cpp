#include <gtest/gtest.h>

#include <string>

#include "export/export_names.h"

namespace tellwick {
namespace {

// A temporary name fits wherever its final name fits, and is never taken
// for an export file or a log of the player's.
TEST(ExportNames, TemporaryNamesAreAsLongAsTheFinalNamesAndNeverLogs) {
  const std::u16string finals[] = {
      u"C:\\logs\\2014.03.05.2107.log",
      u"C:\\logs\\recipe.2014.03.05.2107.log",
      u"C:\\logs\\2014.03.05.2107_2.log",
      u"/home/p/logs/recipe.2014.03.05.2107_9999.log",
  };
  for (const std::u16string& final_path : finals) {
    const std::u16string stem = final_path.substr(0, final_path.size() - 4);
    EXPECT_EQ(temporary_path(final_path, 0), stem + u".~00");
    EXPECT_EQ(temporary_path(final_path, 7), stem + u".~07");
    EXPECT_EQ(temporary_path(final_path, kTemporaryNameCount - 1), stem + u".~99");
    for (int number : {0, 42, kTemporaryNameCount - 1}) {
      EXPECT_EQ(temporary_path(final_path, number).size(), final_path.size());
    }
  }
}

}  // namespace
}  // namespace tellwick
