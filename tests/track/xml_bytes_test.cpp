#include "track/xml_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace geoframe {
namespace {

struct Utf8Case {
  std::string text;
  std::size_t valid;  // bytes before the first that breaks the text
};

class Utf8CheckTest : public ::testing::TestWithParam<Utf8Case> {};

// Fed whole and byte by byte, so that every sequence is also split.
TEST_P(Utf8CheckTest, FindsTheFirstByteNoUtf8TextHolds) {
  EXPECT_EQ(Utf8Check().ValidPrefix(GetParam().text), GetParam().valid);
  Utf8Check check;
  std::size_t valid = 0;
  while (valid < GetParam().text.size() && check.ValidPrefix(GetParam().text.substr(valid, 1)) == 1) ++valid;
  EXPECT_EQ(valid, GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8CheckTest,
    ::testing::Values(Utf8Case{"", 0}, Utf8Case{"a<b>", 4}, Utf8Case{"°西湖\xF0\x9F\x98\x80", 12},
                      Utf8Case{"ab\xFF", 2}, Utf8Case{"a\x80", 1},                 // no lead byte
                      Utf8Case{"\xC0\x80", 0}, Utf8Case{"\xE0\x80\x80", 1},        // overlong forms
                      Utf8Case{"\xED\xA0\x80", 1}, Utf8Case{"\xF4\x90\x80\x80", 1},  // surrogate, past U+10FFFF
                      Utf8Case{"\xE8\xA5", 2},  // cut short: valid so far
                      Utf8Case{"\xE8x", 1}, Utf8Case{"\xF5\x80", 0}));

TEST(DeclaresUtf8, UnlessAnotherEncodingIsNamed) {
  using std::string_view_literals::operator""sv;
  for (std::string_view head : {"<gpx>", "<?xml version=\"1.0\"?><gpx>", "\xEF\xBB\xBF<?xml version='1.0' encoding = 'utf-8'?>",
                                "<?xml version=\"1.0\" encoding=\"UTF8\"?>", "<?xml-stylesheet encoding=\"GBK\"?>"}) {
    EXPECT_TRUE(DeclaresUtf8(head)) << head;
  }
  for (std::string_view head : {"<?xml version=\"1.0\" encoding=\"GBK\"?>"sv, "<?xml version=\"1.0\" encoding='ISO-8859-1'?>"sv,
                                "\xFF\xFE<\0?\0x\0m\0l\0"sv, "\xFE\xFF\0<\0g\0p\0x\0>"sv}) {
    EXPECT_FALSE(DeclaresUtf8(head)) << head;
  }
}

}  // namespace
}  // namespace geoframe
