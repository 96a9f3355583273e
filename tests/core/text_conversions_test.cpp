#include "core/text_conversions.h"

#include <gtest/gtest.h>

#include <string>

namespace olvar::core {
namespace {

struct ParseCase {
  const char* what;
  std::string text;
  char separator;
  float expected;
};

TEST(ParseTolerant, ReadsTheThreeFormsAndRefusesTheRest) {
  const ParseCase cases[] = {
      {"empty text", "", '.', kUnreadable},
      {"only spaces", "   ", '.', kUnreadable},
      {"plain integer", "12", '.', 12.0f},
      {"spaces are trimmed", "  12.5 ", '.', 12.5f},
      {"comma read on a point system", "12,5", '.', 12.5f},
      {"point read on a comma system", "12.5", ',', 12.5f},
      {"comma on a comma system", "12,5", ',', 12.5f},
      {"thousands separator is not a number", "1,234.5", '.', kUnreadable},
      {"thousands separator on a comma system", "1.234,5", ',', kUnreadable},
      {"sign", "-3.25", '.', -3.25f},
      {"plus sign", "+3", '.', 3.0f},
      {"leading separator", ".5", '.', 0.5f},
      {"trailing separator", "5.", '.', 5.0f},
      {"separator alone", ".", '.', kUnreadable},
      {"exponent", "1.5e2", '.', 150.0f},
      {"exponent with sign", "15E-1", '.', 1.5f},
      {"exponent without digits", "1e", '.', kUnreadable},
      {"two separators", "1.2.3", '.', kUnreadable},
      {"letters", "abc", '.', kUnreadable},
      {"trailing letter", "12a", '.', kUnreadable},
      {"hexadecimal", "0x1A", '.', kUnreadable},
      {"infinity", "inf", '.', kUnreadable},
      {"not a number", "nan", '.', kUnreadable},
      {"tab is not trimmed", "\t12", '.', kUnreadable},
      {"beyond single precision", "1e39", '.', kUnreadable},
      {"beyond single precision, negative", "-4e38", '.', kUnreadable},
      {"underflow reads as zero", "1e-50", '.', 0.0f},
      {"largest float", "3.4e38", '.', 3.4e38f},
      {"many leading zeros", std::string(300, '0') + "7", '.', 7.0f},
      {"the sentinel itself", "-99999", '.', -99999.0f},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(parse_tolerant(c.text, c.separator), c.expected);
  }
}

TEST(ParseTolerant, OtherFormsTreatEmptyAndUnreadableText) {
  EXPECT_EQ(parse_tolerant_empty_zero(""), 0.0f);
  EXPECT_EQ(parse_tolerant_empty_zero("x"), kUnreadable);
  EXPECT_EQ(parse_tolerant_empty_zero("2,5"), 2.5f);
  EXPECT_EQ(parse_tolerant_or_zero(""), 0.0f);
  EXPECT_EQ(parse_tolerant_or_zero("x"), 0.0f);
  EXPECT_EQ(parse_tolerant_or_zero("7"), 7.0f);
  EXPECT_FALSE(parse_number(" ").has_value());
  EXPECT_EQ(parse_number("-1,5"), -1.5f);
}

TEST(ParseTolerant, SurvivesAnyBytes) {
  std::string text;
  for (int i = 0; i < 5000; ++i) {
    text.push_back(static_cast<char>((i * 131 + 7) % 256));
    (void)parse_tolerant(text);
    (void)parse_tolerant(text.substr(i / 2), ',');
  }
  EXPECT_EQ(parse_tolerant(std::string(100000, '9')), kUnreadable);
  EXPECT_EQ(parse_tolerant(std::string(100000, ' ')), kUnreadable);
  EXPECT_EQ(parse_tolerant("1e400"), kUnreadable);
  EXPECT_EQ(parse_tolerant("1e-400"), 0.0f);
  EXPECT_EQ(parse_tolerant("0.0000e99999999999999999999"), 0.0f);
  EXPECT_EQ(parse_tolerant("0." + std::string(200, '0') + "1e150"), 0.0f);
}

TEST(NormaliseDecimal, FollowsTheSystemSeparator) {
  EXPECT_EQ(normalised_decimal("1.5", ','), "1,5");
  EXPECT_EQ(normalised_decimal("1,5", '.'), "1.5");
  EXPECT_EQ(normalised_decimal("1,5.2", '.'), "1.5.2");
  EXPECT_EQ(normalised_decimal("a.b,c", ','), "a,b,c");
}

struct FormatCase {
  const char* what;
  double value;
  bool as_float;
  int precision;
  int decimals;
  const char* expected;
};

TEST(FormatFixed, RoundsOnceAndPads) {
  const FormatCase cases[] = {
      {"months: padded to six characters", 8.5, false, 5, 2, "  8.50"},
      {"z-score half away from zero", -1.2345, true, 4, 3, "-1.235"},
      {"z-score from the shortest float text, no double rounding", -0.56349, true, 4, 3, "-0.563"},
      {"float 0.1235 rounds up from its shortest text", 0.1235, true, 4, 3, "0.124"},
      {"significant digits are coarser than decimals", 12.3456, true, 4, 3, "12.350"},
      {"negative zero loses its sign", -0.001, true, 4, 2, " 0.00"},
      {"tiny negative rounds to zero", -0.004, false, 5, 2, "  0.00"},
      {"zero", 0.0, false, 4, 3, "0.000"},
      {"carry through nines", 9.9996, false, 4, 3, "10.000"},
      {"carry at the first digit", 0.9995, false, 4, 3, "1.000"},
      {"half at the last place", 0.005, false, 5, 2, "  0.01"},
      {"percentile", 97.04, false, 3, 1, "97.0"},
      {"percentile rounds to three digits", 99.96, false, 3, 1, "100.0"},
      {"weight with one decimal", 9.64, false, 6, 1, "    9.6"},
      {"height", 82.46, false, 6, 1, "   82.5"},
      {"large value keeps fixed notation", 123456.0, false, 4, 1, "123500.0"},
      {"no decimals", 12.5, false, 4, 0, "   13"},
      {"value below the last decimal", 0.0004, false, 4, 3, "0.000"},
      {"months from a day count", 730 / 30.4375000001, false, 5, 2, " 23.98"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text =
        c.as_float ? format_fixed(static_cast<float>(c.value), c.precision, c.decimals)
                   : format_fixed(c.value, c.precision, c.decimals);
    EXPECT_EQ(text, c.expected);
  }
}

TEST(FormatFixed, WritesTheSystemSeparatorAndTrims) {
  EXPECT_EQ(format_fixed(-1.2345f, 4, 3, ','), "-1,235");
  EXPECT_EQ(format_fixed_trimmed(9.64, 6, 1), "9.6");
}

TEST(FormatFixed, ReadsBackThroughTheParse) {
  for (int i = -6000; i <= 6000; i += 7) {
    const float z = static_cast<float>(i) / 1000.0f;
    const std::string text = format_fixed(z, 4, 3);
    EXPECT_EQ(parse_tolerant(text), z) << text;
  }
}

}  // namespace
}  // namespace olvar::core
