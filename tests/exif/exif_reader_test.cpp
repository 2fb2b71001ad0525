// Loading: the search for the EXIF segment, the byte order, queries, and the
// real camera files of the test data.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exif/exif_reader.h"
#include "test_support.h"
#include "tiff_builder.h"

namespace geoframe {
namespace {

using testing::Tiff;
using Bytes = std::vector<std::uint8_t>;

// TIFF data with one inline ASCII DateTimeOriginal "abc" in IFD0, so that a
// found segment shows as a non-empty Tag(36867).
Tiff TinyTiff(bool little = true) {
  Tiff t(little);
  t.Header().U16(1).EntryRaw(0x9003, 2, 4, little ? std::initializer_list<std::uint8_t>{0, 'c', 'b', 'a'}
                                                  : std::initializer_list<std::uint8_t>{'a', 'b', 'c', 0});
  t.U32(0);
  return t;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A marker segment with its length field.
Bytes Segment(std::uint8_t marker, const std::string& data) {
  const std::size_t length = data.size() + 2;
  Bytes segment = {0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
  segment.insert(segment.end(), data.begin(), data.end());
  return segment;
}

// An APP1 segment of the given signature around TinyTiff.
Bytes App1(const std::string& signature) {
  const Bytes tiff = TinyTiff().bytes();
  return Segment(0xE1, signature + std::string(tiff.begin(), tiff.end()));
}

const Bytes kSoi = {0xFF, 0xD8};
const Bytes kJfifApp0 = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
const Bytes kEoi = {0xFF, 0xD9};
const std::string kAbc("abc\0", 4);
const std::string kExifSignature("Exif\0\0", 6);
const Bytes kXmp = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));

struct SegmentCase {
  const char* name;
  Bytes file;
  bool hasExif;
};

const SegmentCase kSegmentCases[] = {
    {"ExifRightAfterSoi", Concat({kSoi, App1(kExifSignature), kEoi}), true},
    {"JfifThenExif", Concat({kSoi, kJfifApp0, App1(kExifSignature), kEoi}), true},
    // The segments are walked by their lengths: an FF E1 pair inside another
    // segment's data and an APP1 of another kind are passed over.
    {"PairInsideApp0Data", Concat({kSoi, Segment(0xE0, "a\xFF\xE1" "bcd"), App1(kExifSignature), kEoi}), true},
    {"PairInsideComment", Concat({kSoi, Segment(0xFE, "\xFF\xE1\0\0" "Exif"), App1(kExifSignature), kEoi}), true},
    {"XmpBeforeExif", Concat({kSoi, kXmp, App1(kExifSignature), kEoi}), true},
    {"FillBytesBeforeMarkers", Concat({kSoi, {0xFF}, kXmp, {0xFF, 0xFF}, App1(kExifSignature), kEoi}), true},
    // Where the walk cannot reach an EXIF segment, the first FF E1 pair after
    // the start of image is taken: stray bytes before the segments, an EXIF
    // segment after the scan.
    {"StrayBytesThenXmpThenExif", Concat({kSoi, {0x00, 0x17}, kXmp, App1(kExifSignature), kEoi}), false},
    {"StrayBytesThenExif", Concat({kSoi, {0x00, 0x17}, App1(kExifSignature), kEoi}), true},
    {"ExifAfterTheScan", Concat({kSoi, {0xFF, 0xDA, 0x00, 0x02, 0x12}, App1(kExifSignature), kEoi}), true},
    {"NoApp1AtAll", Concat({kSoi, kJfifApp0, {0xFF, 0xDA, 0x00, 0x02, 0x12, 0xFF, 0x00, 0x34}, kEoi}), false},
    {"NotStartingWithSoi", Concat({{0xFF, 0xD9}, App1(kExifSignature), kEoi}), false},
    {"SignatureIsCaseSensitive", Concat({kSoi, App1(std::string("EXIF\0\0", 6)), kEoi}), false},
    {"OneByteFile", {0xFF}, false},
};

class SegmentSearch : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(SegmentSearch, FindsTheExifSegment) {
  const SegmentCase& c = GetParam();
  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "photo.jpg", c.file));
  EXPECT_EQ(reader.HasExif(), c.hasExif);
  // Without a segment there is no record table: every query answers empty.
  EXPECT_EQ(reader.Tag(36867), c.hasExif ? ExifValue(kAbc) : ExifValue());
  EXPECT_EQ(reader.Tag(0), c.hasExif ? ExifValue(1) : ExifValue());
}

INSTANTIATE_TEST_SUITE_P(Files, SegmentSearch, ::testing::ValuesIn(kSegmentCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct LoadFailureCase {
  const char* name;
  Bytes file;
  ExifErrorKind kind;
};

const LoadFailureCase kLoadFailures[] = {
    {"EmptyFile", {}, ExifErrorKind::OutOfRange},
    // Bytes 4..7 are compared with "Exif" even without a pair; here they run out.
    {"ShortFileWithoutPair", {0xFF, 0xD8, 0xFF}, ExifErrorKind::OutOfRange},
    {"PairInLastBytes", {0xFF, 0xD8, 0x00, 0xFF, 0xE1, 0x00}, ExifErrorKind::OutOfRange},
    {"TiffHeaderCutOff", Concat({kSoi, {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42}}),
     ExifErrorKind::OutOfRange},
};

class LoadFailure : public ::testing::TestWithParam<LoadFailureCase> {};

TEST_P(LoadFailure, FailsWithKind) {
  testing::TempDir dir;
  ExifReader reader;
  const std::string path = testing::WriteFile(dir.path(), "photo.jpg", GetParam().file);
  try {
    reader.Load(path);
    FAIL() << "Load should fail";
  } catch (const ExifError& error) {
    EXPECT_EQ(error.kind(), GetParam().kind) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadFailure, ::testing::ValuesIn(kLoadFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExifReaderLoad, MissingFileFailsAsIo) {
  ExifReader reader;
  try {
    reader.Load("/nonexistent/folder/photo.jpg");
    FAIL() << "Load should fail";
  } catch (const ExifError& error) {
    EXPECT_EQ(error.kind(), ExifErrorKind::Io);
    EXPECT_NE(std::string(error.what()).find("/nonexistent/folder/photo.jpg"), std::string::npos);
  }
  EXPECT_THROW(ReadShootingTime("/nonexistent/folder/photo.jpg"), ExifError);
}

TEST(ExifReaderLoad, ByteOrderIsDecidedByFirstHeaderByteOnly) {
  // "IM" reads as little-endian, "MI" and "XX" as big-endian; the second byte
  // and the magic number are not checked.
  for (auto [first, little] : {std::pair{'I', true}, std::pair{'M', false}, std::pair{'X', false}}) {
    Tiff t = TinyTiff(little);
    Bytes tiff = t.bytes();
    tiff[0] = static_cast<std::uint8_t>(first);
    tiff[1] = first == 'I' ? 'M' : 'I';
    tiff[2] = tiff[3] = 0;
    Tiff raw(little);
    for (std::uint8_t b : tiff) raw.Raw({b});
    testing::TempDir dir;
    ExifReader reader;
    reader.Load(testing::WriteFile(dir.path(), "order.jpg", testing::JpegWithExif(raw)));
    EXPECT_EQ(reader.Tag(36867), ExifValue(kAbc)) << first;
  }
}

TEST(ExifReaderLoad, LastValueByteMayBeTheExtraZeroAtTheEnd) {
  // The ASCII value's terminator would be the byte after the file's last one.
  Tiff t(false);
  t.Header().U16(1).Entry(0x9003, 2, 20, 26).U32(0).Text("2012:05:01 13:45:30");
  Bytes file = testing::JpegWithExif(t);
  file.resize(file.size() - 2);  // no EOI: the file ends with the text
  testing::TempDir dir;
  EXPECT_EQ(ReadShootingTime(testing::WriteFile(dir.path(), "end.jpg", file)), "2012-05-01 13:45:30");
}

TEST(ExifReaderQueries, PathSetWithoutLoadLoadsOnDemand) {
  testing::TempDir dir;
  const std::string path = testing::WriteFile(dir.path(), "photo.jpg", testing::JpegWithExif(TinyTiff()));
  ExifReader reader;
  EXPECT_EQ(reader.Tag(36867), ExifValue());  // no path yet: empty, nothing read
  reader.picFile(path);
  EXPECT_FALSE(reader.HasExif());
  EXPECT_EQ(reader.Tag(36867), ExifValue(kAbc));
  EXPECT_TRUE(reader.HasExif());
  EXPECT_EQ(reader.Tag(0x9999), ExifValue());
  EXPECT_EQ(reader.MakerNoteTag(36867), ExifValue());  // no walk marks maker-note records
}

TEST(ExifReaderQueries, SecondLoadIgnoresArgumentAndAppends) {
  testing::TempDir dir;
  const std::string path = testing::WriteFile(dir.path(), "photo.jpg", testing::JpegWithExif(TinyTiff()));
  ExifReader reader;
  reader.Load("");  // no path at all: nothing happens
  EXPECT_FALSE(reader.HasExif());
  reader.Load(path);
  reader.Load("/nonexistent.jpg");  // the stored path wins
  EXPECT_EQ(reader.Tag(0), ExifValue(2));
}

TEST(ExifReaderHelpers, PadLeft) {
  struct Case {
    std::string text;
    std::size_t width;
    std::string fill, expected;
  } cases[] = {{"A", 2, "0", "0A"}, {"", 2, "0", "00"}, {"AB", 2, "0", "AB"},
               {"ABC", 2, "0", "ABC"}, {"7", 4, "xy", "xxx7"}, {"7", 3, "", "7"}};
  for (const Case& c : cases) EXPECT_EQ(ExifReader::PadLeft(c.text, c.width, c.fill), c.expected) << c.text;
}

TEST(ExifReaderHelpers, ExifTimeToDateTimeText) {
  struct Case {
    std::string exif, expected;
  } cases[] = {
      {"2010:12:06 08:30:15", "2010-12-06 08:30:15"},
      {"", ""},
      {"    :  :     :  :  ", "    -  -     :  :  "},  // a camera with an unset clock
      {"2010:12:06", "2010-12-06 10:12:06"},
      {"2010:12:0", "2010-12-0 2010:12:0"},  // shorter than 10: taken whole in both places
      {"12:34", "12-34 12:34"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExifTimeToDateTimeText(c.exif), c.expected) << c.exif;
}

// Upright where the file says nothing usable.
TEST(ExifReaderHelpers, ReadOrientationIsUprightOnlyWhenTheFileSaysSo) {
  auto withOrientation = [](std::uint16_t value) {
    Tiff t(false);
    t.Header().U16(1).U16(274).U16(3).U32(1).U16(value).U16(0).U32(0);
    return testing::JpegWithExif(t);
  };
  EXPECT_EQ(ReadOrientation(withOrientation(6)), 6);
  EXPECT_EQ(ReadOrientation(withOrientation(8)), 8);
  EXPECT_EQ(ReadOrientation(withOrientation(9)), 1);
  EXPECT_EQ(ReadOrientation(withOrientation(0)), 1);
  EXPECT_EQ(ReadOrientation(Concat({kSoi, kJfifApp0, kEoi})), 1);
  EXPECT_EQ(ReadOrientation(std::vector<std::uint8_t>{}), 1);
}

// One row of the test data's table of what exiftool reads from each file.
struct ExpectedRow {
  std::string file, dateTimeOriginal, orientation;
};

std::vector<ExpectedRow> ReadExpectedTable(const std::filesystem::path& path) {
  std::vector<ExpectedRow> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    fields.resize(8);
    rows.push_back({fields[0], fields[2], fields[3]});
  }
  return rows;
}

TEST(CameraFiles, ShootingTimeAndOrientationMatchTheTable) {
  const auto folder = testing::TestDataDir() / "jpeg";
  const auto rows = ReadExpectedTable(folder / "EXPECTED.tsv");
  ASSERT_GE(rows.size(), 40u);
  for (const ExpectedRow& row : rows) {
    SCOPED_TRACE(row.file);
    const std::string path = (folder / row.file).string();
    EXPECT_EQ(ReadShootingTime(path), ExifTimeToDateTimeText(row.dateTimeOriginal));
    EXPECT_EQ(ReadOrientation(testing::ReadFileBytes(path)), row.orientation.empty() ? 1 : std::stoi(row.orientation));
  }
}

}  // namespace
}  // namespace geoframe
