#include <gtest/gtest.h>

#include <string>

#include "materia/seen_check_list.h"

namespace tellwick {
namespace {

class SeenCheckListTest : public testing::Test {
 protected:
  bool seen_check_list_admit(std::u16string_view code) { return tellwick::seen_check_list_admit(list_, code); }
  void reset_seen_check_list() { tellwick::reset_seen_check_list(list_); }
  bool seen_check_list_exists() const { return tellwick::seen_check_list_exists(list_); }
  std::u16string_view seen_check_list_text() const { return tellwick::seen_check_list_text(list_); }

  SeenCheckList list_;
};

// Distinct twelve-digit codes; none occurs inside another.
std::u16string code_number(int i) {
  const std::string digits = std::to_string(100000000000LL + i);
  return std::u16string(digits.begin(), digits.end());
}

TEST_F(SeenCheckListTest, AbsentUntilFirstUseThenRemembersCodesInOrder) {
  EXPECT_FALSE(seen_check_list_exists());
  EXPECT_EQ(seen_check_list_text(), u"");
  EXPECT_FALSE(seen_check_list_admit(u"841593772011"));
  EXPECT_TRUE(seen_check_list_exists());
  EXPECT_FALSE(seen_check_list_admit(u"480147761284"));
  EXPECT_EQ(seen_check_list_text(), u"841593772011 480147761284 ");
  EXPECT_TRUE(seen_check_list_admit(u"480147761284"));
  EXPECT_TRUE(seen_check_list_admit(u"841593772011"));
  EXPECT_EQ(seen_check_list_text(), u"841593772011 480147761284 ");
}

TEST_F(SeenCheckListTest, CodeInsideALongerCodeCountsAsSeen) {
  EXPECT_FALSE(seen_check_list_admit(u"10001024294967295"));
  EXPECT_TRUE(seen_check_list_admit(u"100010242949"));  // a prefix of it
  EXPECT_TRUE(seen_check_list_admit(u"024294967295"));  // inside it, at its end
  EXPECT_FALSE(seen_check_list_admit(u"200010242949"));
  EXPECT_EQ(seen_check_list_text(), u"10001024294967295 200010242949 ");
}

TEST_F(SeenCheckListTest, StopsTakingCodesAtItsBound) {
  // 7877 codes of twelve digits and a space make 102401 units: the last one
  // is taken because the list was still below 102400 units before it.
  constexpr int kCodesToFill = 7877;
  for (int i = 0; i < kCodesToFill; ++i) ASSERT_FALSE(seen_check_list_admit(code_number(i))) << i;
  ASSERT_EQ(seen_check_list_text().size(), 102401u);
  EXPECT_TRUE(seen_check_list_admit(code_number(kCodesToFill - 1)));

  // A full list still finds what it holds, but a new code is never remembered.
  const std::u16string late = code_number(kCodesToFill);
  EXPECT_FALSE(seen_check_list_admit(late));
  EXPECT_FALSE(seen_check_list_admit(late));
  EXPECT_EQ(seen_check_list_text().size(), 102401u);
  EXPECT_TRUE(seen_check_list_admit(code_number(0)));
}

TEST_F(SeenCheckListTest, StopsAtTheBoundWithOneCodeJustBelowIt) {
  // 7876 codes make 102388 units; a 20-digit code then still goes in.
  for (int i = 0; i < 7876; ++i) ASSERT_FALSE(seen_check_list_admit(code_number(i)));
  EXPECT_FALSE(seen_check_list_admit(u"42949672954294967295"));
  EXPECT_EQ(seen_check_list_text().size(), 102388u + 21u);
  EXPECT_TRUE(seen_check_list_admit(u"42949672954294967295"));
}

TEST_F(SeenCheckListTest, ResetReleasesTheList) {
  EXPECT_FALSE(seen_check_list_admit(u"369955756847"));
  reset_seen_check_list();
  EXPECT_FALSE(seen_check_list_exists());
  EXPECT_FALSE(seen_check_list_admit(u"369955756847"));
  EXPECT_EQ(seen_check_list_text(), u"369955756847 ");
  reset_seen_check_list();
  reset_seen_check_list();  // resetting an absent list is harmless
  EXPECT_FALSE(seen_check_list_exists());
}

}  // namespace
}  // namespace tellwick
