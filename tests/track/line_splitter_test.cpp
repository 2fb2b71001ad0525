#include "track/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace geoframe {
namespace {

// The lines of the text fed in pieces of `piece` bytes (0: all at once).
std::vector<std::string> Lines(std::string_view text, std::size_t maxLength, std::size_t piece) {
  std::vector<std::string> lines;
  LineSplitter splitter(maxLength, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  if (piece == 0) piece = text.size() + 1;
  for (std::size_t at = 0; at < text.size(); at += piece) splitter.Feed(text.substr(at, piece));
  splitter.Finish();
  return lines;
}

struct LinesCase {
  std::string_view text;
  std::vector<std::string> lines;
  std::size_t maxLength = 100;
};

class LineSplitterTest : public ::testing::TestWithParam<LinesCase> {};

// Every case is fed whole and in pieces of 1, 2 and 3 bytes, so that each line
// end and each over-long line also falls across a boundary between pieces.
TEST_P(LineSplitterTest, SplitsAtEveryLineEndInPiecesOfAnySize) {
  for (std::size_t piece : {0, 1, 2, 3}) {
    EXPECT_EQ(Lines(GetParam().text, GetParam().maxLength, piece), GetParam().lines) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineSplitterTest,
    ::testing::Values(LinesCase{"", {}}, LinesCase{"a", {"a"}}, LinesCase{"a\r\nb\r\n", {"a", "b"}},
                      LinesCase{"a\nb\n", {"a", "b"}}, LinesCase{"a\rb\r", {"a", "b"}},
                      LinesCase{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                      // an empty line between two terminators, and LF CR as two line ends
                      LinesCase{"a\n\nb", {"a", "", "b"}}, LinesCase{"a\n\rb", {"a", "", "b"}},
                      LinesCase{"a\r\r\nb", {"a", "", "b"}}, LinesCase{"\n", {""}}, LinesCase{"\r\r", {"", ""}},
                      LinesCase{std::string_view("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
                      // lines over the limit are dropped whole, whatever ends them
                      LinesCase{"abcd\nabcde\nx", {"abcd", "x"}, 4}, LinesCase{"abcde\r\nx\r\n", {"x"}, 4},
                      LinesCase{"abcdefghij\rabc", {"abc"}, 4}, LinesCase{"ab\nabcdefghij", {"ab"}, 4},
                      LinesCase{"abcde\n\nab", {"", "ab"}, 4}));

TEST(LineSplitter, StopsWhenAsked) {
  std::vector<std::string> lines;
  LineSplitter splitter(100, [&](std::string_view line) {
    lines.emplace_back(line);
    return line != "stop";
  });
  EXPECT_FALSE(splitter.Feed("a\nstop\nb\n"));
  EXPECT_FALSE(splitter.Feed("c\n"));
  splitter.Finish();
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "stop"}));
}

}  // namespace
}  // namespace geoframe
