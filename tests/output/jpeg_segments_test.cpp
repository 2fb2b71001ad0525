#include "output/jpeg_segments.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "output/output_error.h"

namespace geoframe {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Found = std::vector<std::pair<int, std::string>>;  // marker, payload as text

Found Read(const Bytes& jpeg) {
  Found found;
  for (const JpegSegmentView& segment : HeaderSegments(jpeg)) {
    found.emplace_back(segment.marker, std::string(segment.payload.begin(), segment.payload.end()));
  }
  return found;
}

TEST(HeaderSegments, WalksTheHeaderAsADecoderDoes) {
  struct Case {
    const char* what;
    Bytes jpeg;
    Found expected;
  } cases[] = {
      {"segments up to SOS",
       {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F', 0xFF, 0xFE, 0, 3, 'x', 0xFF, 0xDA, 0, 2},
       {{0xE0, "JF"}, {0xFE, "x"}}},
      {"fill bytes, and stray bytes before a marker",
       {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xE1, 0, 3, 'a', 0x00, 0x12, 0xFF, 0xFE, 0, 3, 'b', 0xFF, 0xD9},
       {{0xE1, "a"}, {0xFE, "b"}}},
      {"FF 00 and restart markers hold no segment",
       {0xFF, 0xD8, 0xFF, 0x00, 0xFF, 0xD0, 0xFF, 0xE2, 0, 3, 'c', 0xFF, 0xD9},
       {{0xE2, "c"}}},
      {"a comment after SOS is image data", {0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0xFF, 0xFE, 0, 3, 'z'}, {}},
      {"cut short inside a segment", {0xFF, 0xD8, 0xFF, 0xE1, 0, 3, 'a', 0xFF, 0xFE, 0, 9, 'b'}, {{0xE1, "a"}}},
      {"cut short inside a length", {0xFF, 0xD8, 0xFF, 0xFE, 0}, {}},
      {"a length below its own two bytes", {0xFF, 0xD8, 0xFF, 0xFE, 0, 1, 0xFF, 0xE1, 0, 3, 'a'}, {}},
      {"no SOI", {0xFF, 0xFE, 0, 3, 'a'}, {}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(c.jpeg), c.expected) << c.what;
}

TEST(InsertSegments, GoAfterSoiAndJfif) {
  const std::vector<JpegSegment> segments = {{0xE2, {'i', 'c'}}, {0xFE, {'m'}}};
  const Bytes inserted = {0xFF, 0xE2, 0, 4, 'i', 'c', 0xFF, 0xFE, 0, 3, 'm'};
  const Bytes jfif = {0xFF, 0xE0, 0, 4, 'J', 'F'}, tables = {0xFF, 0xDB, 0, 2};
  Bytes withJfif = {0xFF, 0xD8}, expected = {0xFF, 0xD8};
  withJfif.insert(withJfif.end(), jfif.begin(), jfif.end());
  withJfif.insert(withJfif.end(), tables.begin(), tables.end());
  expected.insert(expected.end(), jfif.begin(), jfif.end());
  expected.insert(expected.end(), inserted.begin(), inserted.end());
  expected.insert(expected.end(), tables.begin(), tables.end());
  EXPECT_EQ(InsertSegments(withJfif, segments), expected);

  Bytes bare = {0xFF, 0xD8, 0xFF, 0xDB, 0, 2}, bareExpected = {0xFF, 0xD8};
  bareExpected.insert(bareExpected.end(), inserted.begin(), inserted.end());
  bareExpected.insert(bareExpected.end(), tables.begin(), tables.end());
  EXPECT_EQ(InsertSegments(bare, segments), bareExpected);

  const JpegSegment largest{0xFE, Bytes(kMaxSegmentPayload, 'a')};
  EXPECT_EQ(Read(InsertSegments(bare, {largest})).front().second.size(), kMaxSegmentPayload);
  JpegSegment tooLarge = largest;
  tooLarge.payload.push_back('a');
  EXPECT_THROW(InsertSegments(bare, {tooLarge}), OutputError);
  EXPECT_THROW(InsertSegments(Bytes{0xFF, 0xDB, 0, 2}, segments), OutputError);
}

}  // namespace
}  // namespace geoframe
