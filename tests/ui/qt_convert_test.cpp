#include "ui/qt_convert.h"

#include <gtest/gtest.h>

namespace olvar::ui {
namespace {

TEST(QtConvert, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString text = to_qstring(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(from_qstring(text), all);
}

TEST(QtConvert, HighControlRangeFollowsWindows1252) {
  // Unicode's cp1252 mapping: 0x80 euro sign, 0x92 right single quote, 0x9F Y with diaeresis;
  // above 0x9F the bytes are Latin-1.
  struct Case {
    unsigned char byte;
    char16_t unit;
  };
  for (const Case c : {Case{0x80, 0x20AC}, Case{0x92, 0x2019}, Case{0x96, 0x2013},
                       Case{0x9F, 0x0178}, Case{0xB1, 0x00B1}, Case{0xE9, 0x00E9}}) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(to_qstring(byte).at(0).unicode(), c.unit) << int(c.byte);
    EXPECT_EQ(from_qstring(QString(QChar(c.unit))), byte) << int(c.byte);
  }
}

TEST(QtConvert, CharactersOutsideWindows1252BecomeOneQuestionMark) {
  EXPECT_EQ(from_qstring(QStringLiteral("a\u4E2Db")), "a?b");
  EXPECT_EQ(from_qstring(QString::fromUtf8("x\xF0\x9F\x98\x80y")), "x?y");  // a surrogate pair
}

}  // namespace
}  // namespace olvar::ui
