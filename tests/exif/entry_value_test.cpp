// Conversion of entry values, in both byte orders, through a real file: each
// case puts one entry into IFD0, followed by a sentinel entry that shows the
// walk went on past it.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "exif/exif_reader.h"
#include "test_support.h"
#include "tiff_builder.h"

namespace geoframe {
namespace {

using testing::Tiff;

constexpr std::uint16_t kTested = 0x0100;    // the entry under test
constexpr std::uint16_t kSentinel = 0x0131;  // Software, ASCII "ok" inline
// Header (8) + IFD0: count (2), two entries (24), link (4) = 38.
constexpr std::uint32_t kData = 38;

using Writer = std::function<void(Tiff&)>;
const Writer kAtData = [](Tiff& t) { t.U32(kData); };
const Writer kNoData = [](Tiff&) {};

ExifValue Text(std::string s) { return s; }
ExifValue Int(std::int32_t v) { return v; }
const ExifValue kEmpty;

struct ConversionCase {
  const char* name;
  std::uint16_t type;
  std::uint32_t count;
  Writer field;  // writes the four-byte value field
  Writer data;   // writes the bytes at offset kData
  ExifValue little;
  ExifValue big;
  std::int32_t valueOffset;
};

Writer RawField(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return [=](Tiff& t) { t.Raw({a, b, c, d}); };
}
Writer Bytes(std::initializer_list<std::uint8_t> bytes) {
  std::vector<std::uint8_t> copy(bytes);
  return [copy](Tiff& t) {
    for (std::uint8_t b : copy) t.Raw({b});
  };
}

const ConversionCase kCases[] = {
    // text group, out of line: ASCII up to its terminator
    {"AsciiWithTerminator", 2, 20, kAtData, [](Tiff& t) { t.Text("2012:05:01 13:45:30").Raw({0}); },
     Text("2012:05:01 13:45:30"), Text("2012:05:01 13:45:30"), 38},
    {"AsciiWithoutTerminatorKeepsLastCharacter", 2, 19, kAtData, [](Tiff& t) { t.Text("2017:11:27 01:01:01"); },
     Text("2017:11:27 01:01:01"), Text("2017:11:27 01:01:01"), 38},
    {"AsciiPaddedWithTwoZeros", 2, 21, kAtData, [](Tiff& t) { t.Text("2004:09:04 19:52:06").Raw({0, 0}); },
     Text("2004:09:04 19:52:06"), Text("2004:09:04 19:52:06"), 38},
    {"UndefinedOutOfLineDropsLastByte", 7, 6, kAtData, [](Tiff& t) { t.Text("abcdef"); }, Text("abcde"),
     Text("abcde"), 38},
    {"UndefinedHighBytesOneCharEach", 7, 5, kAtData, Bytes({0xC3, 0xA9, 0x80, 0xFF, 0x00}),
     Text("\xC3\xA9\x80\xFF"), Text("\xC3\xA9\x80\xFF"), 38},
    // text group, inline: the four field bytes by significance, zeros kept
    {"FlashpixVersionInline", 7, 4, RawField('0', '1', '0', '0'), kNoData, Text("0010"), Text("0100"), 0},
    {"InlineTextKeepsZero", 2, 4, RawField('A', 'B', 'C', 0), kNoData, Text(std::string("\0CBA", 4)),
     Text(std::string("ABC\0", 4)), 0},
    {"InlineTextIgnoresCount", 2, 0, RawField('x', 'y', 'z', 'w'), kNoData, Text("wzyx"), Text("xyzw"), 0},
    // bytes group
    {"GpsVersionInline", 1, 4, RawField(2, 2, 0, 0), kNoData, Text("00000202"), Text("02020000"), 0},
    {"SignedBytesInlineUppercaseHex", 6, 1, RawField(0xAB, 0x0C, 0, 0xFF), kNoData, Text("FF000CAB"),
     Text("AB0C00FF"), 0},
    {"BytesOutOfLineDecimal", 1, 5, kAtData, Bytes({1, 2, 3, 10, 255}), Text("12310255"), Text("12310255"), 38},
    // short group
    {"OrientationInline", 3, 1, [](Tiff& t) { t.U16(6).U16(0); }, kNoData, Int(6), Int(6), 0},
    {"OrientationPaddingIsNotPartOfIt", 3, 1, [](Tiff& t) { t.U16(1).U16(1); }, kNoData, Int(1), Int(1), 0},
    {"SignedShortInline", 8, 1, [](Tiff& t) { t.U16(0xFFFE).U16(0xFFFF); }, kNoData, Int(-2), Int(-2), 0},
    {"NoShortsInline", 3, 0, [](Tiff& t) { t.U16(6).U16(0); }, kNoData, kEmpty, kEmpty, 0},
    {"TwoShortsInlineAreSummed", 3, 2, [](Tiff& t) { t.U16(2).U16(1); }, kNoData, Int(3), Int(3), 0},
    {"SignedShortsSummedUnsigned", 8, 2, [](Tiff& t) { t.U16(0xFFFF).U16(1); }, kNoData, Int(65536), Int(65536), 0},
    {"BitsPerSampleOutOfLine", 3, 3, kAtData, [](Tiff& t) { t.U16(8).U16(8).U16(8); }, Text("808"), Text("080"), 38},
    {"ShortOutOfLineByteOrder", 3, 3, kAtData, Bytes({1, 2, 3, 4, 5, 6}), Text("123"), Text("321"), 38},
    // long group
    {"LongInline", 4, 1, [](Tiff& t) { t.U32(123456789); }, kNoData, Int(123456789), Int(123456789), 0},
    {"LongBeyondSignedRangeIsEmpty", 4, 1, [](Tiff& t) { t.U32(0x80000000u); }, kNoData, kEmpty, kEmpty, 0},
    {"SignedLongNegative", 9, 1, [](Tiff& t) { t.U32(static_cast<std::uint32_t>(-5)); }, kNoData, Int(-5), Int(-5),
     0},
    {"LongOutOfLineFirstCountBytes", 4, 2, kAtData, Bytes({0, 0, 1, 44}), Text("00"), Text("00"), 38},
    // rational group: the first rational only, in both byte orders
    {"XResolution", 5, 1, kAtData, [](Tiff& t) { t.U32(72).U32(1); }, Text("72/1"), Text("72/1"), 38},
    {"OnlyFirstRational", 5, 3, kAtData, [](Tiff& t) { t.U32(8).U32(1).U32(8).U32(1).U32(8).U32(1); }, Text("8/1"),
     Text("8/1"), 38},
    {"NegativeExposureBias", 10, 1, kAtData,
     [](Tiff& t) { t.U32(static_cast<std::uint32_t>(-1)).U32(3); }, Text("-1/3"), Text("-1/3"), 38},
    {"UnsignedRationalBeyondSignedRange", 5, 1, kAtData, [](Tiff& t) { t.U32(3000000000u).U32(1); },
     Text("3000000000/1"), Text("3000000000/1"), 38},
    {"RationalWithCountZero", 5, 0, [](Tiff& t) { t.U32(kData); }, kNoData, kEmpty, kEmpty, 0},
    // types that are not converted
    {"Float", 11, 1, [](Tiff& t) { t.U32(0x3F800000); }, kNoData, kEmpty, kEmpty, 0},
    {"Double", 12, 1, kAtData, [](Tiff& t) { t.U32(0).U32(0); }, kEmpty, kEmpty, 0},
    {"TypeZero", 0, 1, [](Tiff& t) { t.U32(1); }, kNoData, kEmpty, kEmpty, 0},
    // a fault confined to the value: empty value, the walk goes on
    {"OffsetPastEndOfFile", 2, 20, [](Tiff& t) { t.U32(5000); }, kNoData, kEmpty, kEmpty, 5000},
    {"OffsetWithTopBitSet", 10, 1, [](Tiff& t) { t.U32(0x80000010u); }, kNoData, kEmpty, kEmpty,
     static_cast<std::int32_t>(0x80000010u)},
    {"CountWithTopBitSet", 7, 0x80000001u, kAtData, Bytes({1, 2, 3}), kEmpty, kEmpty, 38},
    {"RationalCutByEndOfFile", 5, 1, kAtData, [](Tiff& t) { t.U32(72); }, kEmpty, kEmpty, 38},
};

class EntryConversion : public ::testing::TestWithParam<std::tuple<ConversionCase, bool>> {};

TEST_P(EntryConversion, ConvertsByTypeAndByteOrder) {
  const auto& [c, little] = GetParam();
  Tiff tiff(little);
  tiff.Header().U16(2);  // IFD0 at 8 with two entries
  tiff.U16(kTested).U16(c.type).U32(c.count);
  c.field(tiff);
  tiff.EntryRaw(kSentinel, 2, 3, {'o', 'k', 0, 0});
  tiff.U32(0);  // no IFD1
  ASSERT_EQ(tiff.size(), kData);
  c.data(tiff);

  testing::TempDir dir;
  ExifReader reader;
  reader.Load(testing::WriteFile(dir.path(), "entry.jpg", testing::JpegWithExif(tiff)));
  ASSERT_EQ(reader.Records().size(), 2u);
  const TagRecord& r = reader.Records()[0];
  EXPECT_EQ(r.TagNumber, kTested);
  EXPECT_EQ(r.DataType, c.type);
  EXPECT_EQ(r.Count, static_cast<std::int32_t>(c.count));
  EXPECT_EQ(r.ValueOffset, c.valueOffset);
  EXPECT_EQ(r.Value, little ? c.little : c.big);
  EXPECT_FALSE(r.IsMakerNote);
  // The inline sentinel reads its bytes by significance as well.
  EXPECT_EQ(reader.Tag(kSentinel), little ? Text(std::string("\0\0ko", 4)) : Text(std::string("ok\0\0", 4)));
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, EntryConversion,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_II" : "_MM");
                         });

}  // namespace
}  // namespace geoframe
