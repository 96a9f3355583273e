#include "core/text_conversions.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
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

TEST(ParseTolerant, ShortDecimalsMatchTheGeneralConversion) {
  // Short decimals take a quicker road; it must give the same float as from_chars, the
  // correctly rounded conversion, for every form it takes on.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> digits(0, 9'999'999);
  std::uniform_int_distribution<int> places(0, 7);
  for (int i = 0; i < 200'000; ++i) {
    std::string text = std::to_string(digits(random));
    const int decimals = std::min<int>(places(random), static_cast<int>(text.size()));
    if (decimals > 0) text.insert(text.size() - static_cast<std::size_t>(decimals), ".");
    if (i % 2) text.insert(0, "-");
    float expected = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(parse_tolerant(text), expected) << text;
    std::string comma = text;
    if (const auto point = comma.find('.'); point != std::string::npos) comma[point] = ',';
    ASSERT_EQ(parse_tolerant(comma, ','), expected) << comma;
  }
  EXPECT_TRUE(std::signbit(parse_tolerant("-0")));
  EXPECT_EQ(parse_tolerant("12345678.5"), 12345678.5f);  // beyond the quick road's digits
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

// A plain second implementation for the differential test below: rounds the shortest
// fixed-notation text of the value as on paper, digit string in, digit string out.
template <typename Float>
std::string plain_format_fixed(Float value, int precision, int decimals) {
  char buffer[400];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
  std::string text(buffer, end);
  const bool negative = text.front() == '-';
  if (negative) text.erase(0, 1);
  const auto dot = text.find('.');
  std::string digits = text.substr(0, dot);
  int point = static_cast<int>(digits.size());
  if (dot != std::string::npos) digits += text.substr(dot + 1);
  while (!digits.empty() && digits.front() == '0') {
    digits.erase(0, 1);
    --point;
  }
  std::string kept;  // the rounded significant digits
  const int keep = digits.empty() ? -1 : std::min(precision, point + decimals);
  if (keep >= 0) {
    kept = digits.substr(0, static_cast<std::size_t>(keep));
    if (keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5') {
      int k = keep - 1;
      while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9')
        kept[static_cast<std::size_t>(k--)] = '0';
      if (k >= 0) {
        ++kept[static_cast<std::size_t>(k)];
      } else {
        kept.insert(0, "1");
        ++point;
      }
    }
  }
  auto digit_at = [&](int i) {
    return i >= 0 && i < static_cast<int>(kept.size()) ? kept[static_cast<std::size_t>(i)] : '0';
  };
  std::string out;
  if (negative && kept.find_first_not_of('0') != std::string::npos) out += '-';
  if (point <= 0 || kept.empty()) {
    out += '0';
  } else {
    for (int i = 0; i < point; ++i) out += digit_at(i);
  }
  if (decimals > 0) {
    out += '.';
    for (int i = 0; i < decimals; ++i) out += digit_at(point + i);
  }
  if (static_cast<int>(out.size()) <= precision) {
    out.insert(0, static_cast<std::size_t>(precision + 1 - static_cast<int>(out.size())), ' ');
  }
  return out;
}

TEST(FormatFixed, AgreesWithAPlainImplementationOnRandomValues) {
  struct Shape {
    int precision, decimals;
  };
  const Shape shapes[] = {{4, 3}, {5, 2}, {3, 1}, {6, 1}, {4, 0}, {2, 5}, {8, 4}};
  std::mt19937 random(7);
  // Magnitudes from 1e-5 to 1e6, both signs, so every carry and cut position comes up; values
  // on a 0.0005 grid hit the ties of three decimals.
  std::uniform_real_distribution<double> exponent(-5.0, 6.0);
  std::uniform_int_distribution<int> grid(-40000, 40000);
  for (int i = 0; i < 40000; ++i) {
    const double magnitude = std::pow(10.0, exponent(random));
    const double value =
        (i % 2 == 0) ? (i % 4 == 0 ? magnitude : -magnitude) : grid(random) * 0.0005;
    for (const Shape& shape : shapes) {
      const float as_float = static_cast<float>(value);
      ASSERT_EQ(format_fixed(as_float, shape.precision, shape.decimals),
                plain_format_fixed(as_float, shape.precision, shape.decimals))
          << value << " (" << shape.precision << ", " << shape.decimals << ") as float";
      ASSERT_EQ(format_fixed(value, shape.precision, shape.decimals),
                plain_format_fixed(value, shape.precision, shape.decimals))
          << value << " (" << shape.precision << ", " << shape.decimals << ")";
    }
  }
}

}  // namespace
}  // namespace olvar::core
