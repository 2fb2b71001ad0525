#include "app/argument_text.h"

#include <gtest/gtest.h>

#include <string>

namespace geoframe {
namespace {

// Every byte string comes back as it went in, and the text holds the
// characters of its valid UTF-8 (what the parser matches options against).
TEST(ArgumentText, BytesRoundTripAndValidUtf8IsText) {
  struct Case {
    std::string bytes;
    QString text;
  } cases[] = {
      {"", QString()},
      {"--track=a.txt", QStringLiteral("--track=a.txt")},
      {"照片.jpg", QStringLiteral("照片.jpg")},
      {"\xD5\xD5.jpg", QString(QChar(0xDCD5)) + QChar(0xDCD5) + ".jpg"},  // GBK
      {"\xEF\xBF\xBD", QString(QChar(0xFFFD))},                            // U+FFFD itself is valid
      {"\xC0\xAF", QString(QChar(0xDCC0)) + QChar(0xDCAF)},                // overlong "/"
      {"\xED\xB2\x80", QString(QChar(0xDCED)) + QChar(0xDCB2) + QChar(0xDC80)},  // a surrogate in UTF-8
      {"\xF4\x90\x80\x80", QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80)},  // past U+10FFFF
      {"\xE7\x85", QString(QChar(0xDCE7)) + QChar(0xDC85)},  // cut short
      // U+10080 is D800 DC80 in UTF-16: its low half is no escaped byte.
      {"\xF0\x90\x82\x80\x80", QString::fromUcs4(U"\U00010080") + QChar(0xDC80)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    EXPECT_EQ(ArgumentText(c.bytes), c.text);
    EXPECT_EQ(ArgumentBytes(ArgumentText(c.bytes)), c.bytes);
  }
}

}  // namespace
}  // namespace geoframe
