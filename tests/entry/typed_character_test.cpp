#include "entry/typed_character.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/standard_variables.h"

namespace olvar::entry {
namespace {

using core::column;
using core::StdVar;

struct Case {
  StdVar variable;
  char key;
  char decimal_separator;
  bool extra_columns_shown;
  bool oedema_yn;
  const char* expected_text;
  int expected_warning;  // 0: no message
};

TEST(TypedCharacter, ChecksAndConvertsByColumn) {
  const Case cases[] = {
      {StdVar::cluster, '7', '.', false, true, "7", 0},
      {StdVar::cluster, 'a', '.', false, true, "a", 800},
      {StdVar::sex, '1', '.', false, true, "m", 0},
      {StdVar::sex, '2', '.', false, true, "f", 0},
      {StdVar::sex, 'F', '.', false, true, "f", 0},
      {StdVar::sex, 'x', '.', false, true, "x", 801},  // a warning: the key still goes in
      {StdVar::edema, 'Y', '.', false, true, "y", 0},
      {StdVar::edema, '2', '.', false, true, "2", 802},
      {StdVar::edema, '2', '.', false, false, "2", 0},  // grade 2 under the graded coding
      {StdVar::edema, 'y', '.', false, false, "y", 802},
      {StdVar::weight, ',', '.', false, true, ".", 0},
      {StdVar::weight, '.', ',', false, true, ",", 0},
      {StdVar::muac, 'k', '.', false, true, "k", 1102},
      {StdVar::wtfactor, '5', '.', false, true, "5", 0},
      {StdVar::measure, 'H', '.', true, true, "h", 0},
      {StdVar::measure, 'x', '.', true, true, "x", 912},
      {StdVar::measure, 'x', '.', false, true, "x", 0},  // hidden: not checked
      {StdVar::clothes, 'q', '.', true, true, "q", 802},
      {StdVar::survdate, '/', '.', false, true, ".", 0},
      {StdVar::birthdat, ' ', '.', false, true, ".", 0},
      {StdVar::birthdat, '4', '.', false, true, "4", 0},
      {StdVar::id, 'x', '.', false, true, "x", 0},
  };
  for (const Case& c : cases) {
    TypingRules rules;
    rules.conventions = {core::DateOrder::dmy, '.', c.decimal_separator};
    rules.extra_columns_shown = c.extra_columns_shown;
    rules.oedema_yn = c.oedema_yn;
    const TypedCharacter typed = check_typed_character(column(c.variable), c.key, rules);
    SCOPED_TRACE(std::string(core::header_text(c.variable)) + " key " + c.key);
    EXPECT_EQ(typed.text, c.expected_text);
    EXPECT_EQ(typed.warning ? typed.warning->number : 0, c.expected_warning);
  }
}

TEST(TypedCharacter, EnterTabAndBackspacePassUnchecked) {
  for (const char key : {'\r', '\t', '\b'}) {
    const TypedCharacter typed = check_typed_character(column(StdVar::cluster), key, {});
    EXPECT_FALSE(typed.warning);
    EXPECT_EQ(typed.text, std::string(1, key));
  }
}

TEST(TypedCharacter, PullDownEditorsOfferTheCodes) {
  TypingRules rules;
  EXPECT_EQ(pull_down_choices(column(StdVar::cluster), rules).size(), 99u);
  EXPECT_EQ(pull_down_choices(column(StdVar::team), rules).back(), "9");
  EXPECT_EQ(pull_down_choices(column(StdVar::edema), rules), (std::vector<std::string>{"y", "n"}));
  EXPECT_TRUE(pull_down_choices(column(StdVar::measure), rules).empty());  // hidden
  rules.extra_columns_shown = true;
  EXPECT_EQ(pull_down_choices(column(StdVar::measure), rules),
            (std::vector<std::string>{"l", "h"}));
  EXPECT_TRUE(uses_date_picker(column(StdVar::birthdat)));
  EXPECT_EQ(sex_pick_from_key('0'), "f");
  EXPECT_EQ(sex_pick_from_key('M'), "m");
  EXPECT_EQ(sex_pick_from_key('x'), std::nullopt);
}

}  // namespace
}  // namespace olvar::entry
