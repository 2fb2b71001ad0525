// The walk over IFD0, the IFDs linked from it and the Exif IFD: order, links,
// and how damage in one IFD affects the others.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exif/exif_reader.h"
#include "test_support.h"
#include "tiff_builder.h"

namespace geoframe {
namespace {

using testing::Tiff;

// A camera-like file. Offsets relative to the TIFF header:
//   0   header, IFD0 at 8
//   8   IFD0, 3 entries: Orientation 6; XResolution -> 110; Exif IFD pointer
//   50  IFD1, 2 entries: XResolution -> 118; a second entry (JPEG offset 1234)
//   80  Exif IFD, 2 entries: DateTimeOriginal -> 126; ExposureBias -> 146;
//       its link (999) is never followed
//   110 72/1, 118 180/1, 126 "2012:05:01 13:45:30\0", 146 -1/3
struct Layout {
  std::uint32_t ifd0Offset = 8;
  std::uint16_t ifd0Count = 3;
  std::uint16_t exifPointerTag = 0x8769;
  std::uint16_t exifPointerType = 4;
  std::uint32_t exifPointer = 80;
  std::uint32_t ifd0Link = 50;
  std::uint16_t ifd1Count = 2;
  std::uint16_t ifd1SecondTag = 0x0201, ifd1SecondType = 4;
  std::uint32_t ifd1SecondField = 1234;
  std::uint32_t ifd1Link = 0;
  std::uint16_t exifCount = 2;
};

std::vector<std::uint8_t> CameraFile(bool little, const Layout& l) {
  Tiff t(little);
  t.Header(l.ifd0Offset);
  t.U16(l.ifd0Count)
      .Entry(0x0112, 3, 1, little ? 6 : 6u << 16)  // SHORT 6 in the field's first two bytes
      .Entry(0x011A, 5, 1, 110)
      .Entry(l.exifPointerTag, l.exifPointerType, 1, l.exifPointer)
      .U32(l.ifd0Link);
  t.U16(l.ifd1Count).Entry(0x011A, 5, 1, 118).Entry(l.ifd1SecondTag, l.ifd1SecondType, 1, l.ifd1SecondField);
  t.U32(l.ifd1Link);
  t.U16(l.exifCount).Entry(0x9003, 2, 20, 126).Entry(0x9204, 10, 1, 146).U32(999);
  t.U32(72).U32(1).U32(180).U32(1).Text("2012:05:01 13:45:30").Raw({0});
  t.U32(static_cast<std::uint32_t>(-1)).U32(3);
  return testing::JpegWithExif(t);
}

std::vector<std::int32_t> TagNumbers(const ExifReader& reader) {
  std::vector<std::int32_t> tags;
  for (const TagRecord& r : reader.Records()) tags.push_back(r.TagNumber);
  return tags;
}

const std::vector<std::int32_t> kAllThree = {274, 282, 34665, 282, 513, 36867, 37380};
const std::vector<std::int32_t> kIfd0AndExif = {274, 282, 34665, 36867, 37380};
const std::vector<std::int32_t> kIfd0AndIfd1 = {274, 282, 34665, 282, 513};
const std::string kTime = "2012:05:01 13:45:30";

struct WalkCase {
  const char* name;
  std::function<void(Layout&)> change;
  std::vector<std::int32_t> tags;
  std::string time;  // empty: Tag(36867) is empty
};

const WalkCase kWalkCases[] = {
    {"Ifd0ThenIfd1ThenExifIfd", [](Layout&) {}, kAllThree, kTime},
    {"Ifd1LinkingBackToIfd0EndsChain", [](Layout& l) { l.ifd1Link = 8; }, kAllThree, kTime},
    {"Ifd1LinkingToItselfEndsChain", [](Layout& l) { l.ifd1Link = 50; }, kAllThree, kTime},
    {"Ifd1LinkPastEndEndsChain", [](Layout& l) { l.ifd1Link = 100000; }, kAllThree, kTime},
    {"Ifd0LinkPastEndSkipsToExifIfd", [](Layout& l) { l.ifd0Link = 100000; }, kIfd0AndExif, kTime},
    {"Ifd0LinkWithTopBitSkipsToExifIfd", [](Layout& l) { l.ifd0Link = 0x80000032u; }, kIfd0AndExif, kTime},
    {"DamagedIfd1CountSkipsToExifIfd", [](Layout& l) { l.ifd1Count = 0x7FFF; }, kIfd0AndExif, kTime},
    {"Ifd1WithoutEntriesAddsNone", [](Layout& l) { l.ifd1Count = 0; }, kIfd0AndExif, kTime},
    {"NoExifPointerReadsChainOnly", [](Layout& l) { l.exifPointerTag = 0x9999; },
     {274, 282, 0x9999, 282, 513}, ""},
    {"ExifPointerBackToIfd0Stops", [](Layout& l) { l.exifPointer = 8; }, kIfd0AndIfd1, ""},
    {"ExifPointerToIfd1Stops", [](Layout& l) { l.exifPointer = 50; }, kIfd0AndIfd1, ""},
    {"ExifPointerBeyondSignedRangeIsEmpty", [](Layout& l) { l.exifPointer = 0x80000050u; }, kIfd0AndIfd1, ""},
    {"SignedExifPointer", [](Layout& l) { l.exifPointerType = 9; }, kAllThree, kTime},
    {"LaterExifPointerReplacesEarlier",
     [](Layout& l) {
       l.ifd1SecondTag = 0x8769;
       l.ifd1SecondField = 50;  // IFD1 itself: already read, so the walk ends
     },
     {274, 282, 34665, 282, 34665}, ""},
    {"UnusableExifPointerInIfd1KeepsIfd0s",
     [](Layout& l) {
       l.ifd1SecondTag = 0x8769;
       l.ifd1SecondType = 11;  // FLOAT: no value
     },
     {274, 282, 34665, 282, 34665, 36867, 37380}, kTime},
};

class Walk : public ::testing::TestWithParam<std::tuple<WalkCase, bool>> {};

TEST_P(Walk, ReadsIfdsInOrder) {
  const auto& [c, little] = GetParam();
  Layout layout;
  c.change(layout);
  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "walk.jpg", CameraFile(little, layout)));
  EXPECT_TRUE(reader.HasExif());
  EXPECT_EQ(TagNumbers(reader), c.tags);
  EXPECT_EQ(reader.Tag(0), ExifValue(static_cast<std::int32_t>(c.tags.size())));
  EXPECT_EQ(reader.Tag(36867), c.time.empty() ? ExifValue() : ExifValue(c.time));
  EXPECT_EQ(reader.Tag(282), ExifValue(std::string("72/1")));  // IFD0's value wins over IFD1's
  EXPECT_EQ(reader.Tag(274), ExifValue(6));
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, Walk, ::testing::Combine(::testing::ValuesIn(kWalkCases), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_II" : "_MM");
                         });

struct FailureCase {
  const char* name;
  std::function<void(Layout&)> change;
  ExifErrorKind kind;
  bool recordsKept;
  bool hasExif = true;  // false when the failure comes before the walk
};

const FailureCase kFailureCases[] = {
    {"Ifd0WithoutEntries", [](Layout& l) { l.ifd0Count = 0; }, ExifErrorKind::OutOfRange, false},
    {"Ifd0OffsetWithTopBit", [](Layout& l) { l.ifd0Offset = 0x80000008u; }, ExifErrorKind::Overflow, false, false},
    {"Ifd0OffsetPastEnd", [](Layout& l) { l.ifd0Offset = 100000; }, ExifErrorKind::OutOfRange, false},
    {"Ifd0CountPastEnd", [](Layout& l) { l.ifd0Count = 0x7FFF; }, ExifErrorKind::OutOfRange, true},
    {"ExifIfdCountPastEnd", [](Layout& l) { l.exifCount = 0x7FFF; }, ExifErrorKind::OutOfRange, true},
    {"ExifPointerPastEnd", [](Layout& l) { l.exifPointer = 100000; }, ExifErrorKind::OutOfRange, true},
    {"ExifPointerBeforeFileStart",
     [](Layout& l) {
       l.exifPointerType = 9;
       l.exifPointer = static_cast<std::uint32_t>(-100);
     },
     ExifErrorKind::OutOfRange, true},
};

class WalkFailure : public ::testing::TestWithParam<std::tuple<FailureCase, bool>> {};

TEST_P(WalkFailure, FailsAndKeepsWhatWasRead) {
  const auto& [c, little] = GetParam();
  Layout layout;
  c.change(layout);
  testing::TempDir dir;
  ExifReader reader;
  const std::string path = testing::WriteFile(dir.path(), "bad.jpg", CameraFile(little, layout));
  try {
    reader.Load(path);
    FAIL() << "Load should fail";
  } catch (const ExifError& error) {
    EXPECT_EQ(error.kind(), c.kind) << error.what();
  }
  EXPECT_EQ(reader.HasExif(), c.hasExif);
  EXPECT_EQ(reader.Records().empty(), !c.recordsKept);
  if (c.recordsKept) {
    EXPECT_EQ(reader.Records()[0].TagNumber, 274);
  }
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, WalkFailure,
                         ::testing::Combine(::testing::ValuesIn(kFailureCases), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_II" : "_MM");
                         });

TEST(WalkPointer, ExifPointerTextThatIsNoNumberFailsInIfd0) {
  Tiff t(false);
  t.Header().U16(1).Entry(0x8769, 2, 5, 26).U32(0).Text("abcd").Raw({0});  // ASCII "abcd" at 26
  testing::TempDir dir;
  ExifReader reader;
  try {
    reader.Load(testing::WriteFile(dir.path(), "text.jpg", testing::JpegWithExif(t)));
    FAIL() << "Load should fail";
  } catch (const ExifError& error) {
    EXPECT_EQ(error.kind(), ExifErrorKind::Conversion);
  }
}

TEST(WalkPointer, ExifPointerTextOfDigitsIsAnOffset) {
  // IFD0 at 8: one entry, ASCII pointer "  38" at 26; Exif IFD at 38 with an
  // inline ASCII entry.
  Tiff t(true);
  t.Header().U16(1).Entry(0x8769, 2, 5, 26).U32(0).Text("  38").Raw({0}).PadTo(38);
  t.U16(1).EntryRaw(0x9003, 2, 4, {'a', 'b', 'c', 0}).U32(0);
  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "digits.jpg", testing::JpegWithExif(t)));
  EXPECT_EQ(reader.Tag(36867), ExifValue(std::string("\0cba", 4)));
}

TEST(WalkBounds, LongChainOfDistinctIfdsStopsAndStillReadsExifIfd) {
  // IFD0 at 8 links to a chain of 40 one-entry IFDs, each linking to the next;
  // the Exif IFD sits after them.
  constexpr std::uint32_t kIfdSize = 2 + 12 + 4;
  constexpr int kChain = 40;
  const std::uint32_t exif = 8 + kIfdSize * (kChain + 1);
  Tiff t(true);
  t.Header().U16(1).Entry(0x8769, 4, 1, exif).U32(8 + kIfdSize);
  for (int i = 1; i <= kChain; ++i) t.U16(1).Entry(0x0132, 4, 1, i).U32(i < kChain ? 8 + kIfdSize * (i + 1) : 0);
  t.U16(1).EntryRaw(0x9003, 2, 4, {'1', '2', '3', 0}).U32(0);
  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "chain.jpg", testing::JpegWithExif(t)));
  EXPECT_EQ(reader.Records().size(), 1u + 16u + 1u);  // IFD0, 16 linked IFDs, the Exif IFD
  EXPECT_EQ(reader.Records().back().TagNumber, 36867);
}

TEST(WalkBounds, EntriesSharingHugeDataDoNotCostTheShootingTime) {
  // Three UNDEFINED entries of 700 000 bytes all point at the same data; the
  // second would take the converted text past the load's limit and stays
  // empty; the shooting time after them is still read.
  constexpr std::uint32_t kHuge = 700000;
  Tiff t(false);
  t.Header().U16(4);
  for (int i = 0; i < 3; ++i) t.Entry(0x927C, 7, kHuge, 62);
  t.Entry(0x9003, 2, 20, 62 + kHuge).U32(0);
  ASSERT_EQ(t.size(), 62u);
  t.PadTo(62 + kHuge).Text("2012:05:01 13:45:30").Raw({0});
  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "huge.jpg", testing::JpegWithExif(t)));
  ASSERT_EQ(reader.Records().size(), 4u);
  EXPECT_EQ(std::get<std::string>(reader.Records()[0].Value).size(), kHuge - 1);
  EXPECT_EQ(reader.Records()[1].Value, ExifValue());
  EXPECT_EQ(reader.Tag(36867), ExifValue(std::string("2012:05:01 13:45:30")));
}

}  // namespace
}  // namespace geoframe
