// The lazily read file under the EXIF reader: block and piece borders, the
// block cache, and the bounds of the byte view over it.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exif/byte_view.h"
#include "exif/exif_reader.h"
#include "exif/lazy_file.h"
#include "test_support.h"

namespace geoframe {
namespace {

constexpr std::int64_t kBlock = LazyFile::kBlockSize;
constexpr std::int64_t kPiece = 64 * 1024;  // what the pair scan reads at a time past the first block

// Bytes that vary along the file but are never 0xFF: that byte stands only
// where a test puts it.
std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) % 255);  // never 0xFF
  }
  return bytes;
}

struct PairCase {
  const char* name;
  std::int64_t size;
  std::vector<std::int64_t> ffAt;  // where 0xFF bytes go
  std::vector<std::int64_t> e1At;  // where 0xE1 bytes go
  std::int64_t expected;
};

const PairCase kPairCases[] = {
    {"RightAfterStart", 4096, {2}, {3}, 2},
    {"FfWithoutE1", 4096, {2, 100}, {4, 102}, -1},
    {"AcrossFirstBlockBorder", 3 * kBlock, {kBlock - 1}, {kBlock}, kBlock - 1},
    {"JustAfterFirstBlock", 3 * kBlock, {kBlock}, {kBlock + 1}, kBlock},
    {"AcrossPieceBorder", kBlock + 2 * kPiece, {kBlock + kPiece - 1}, {kBlock + kPiece}, kBlock + kPiece - 1},
    {"FarInLastPiece", kBlock + 2 * kPiece + 5, {kBlock + 2 * kPiece + 2}, {kBlock + 2 * kPiece + 3},
     kBlock + 2 * kPiece + 2},
    {"FfAsLastByteHasNoPartner", 3 * kBlock, {3 * kBlock - 1}, {}, -1},
    {"PairEndsTheFile", kBlock + kPiece + 7, {kBlock + kPiece + 5}, {kBlock + kPiece + 6}, kBlock + kPiece + 5},
    {"FirstOfSeveralWins", 2 * kPiece, {kPiece + 10, 2 * kBlock}, {kPiece + 11, 2 * kBlock + 1}, 2 * kBlock},
};

class PairSearch : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairSearch, FindsFirstPairAcrossBorders) {
  const PairCase& c = GetParam();
  auto bytes = Pattern(static_cast<std::size_t>(c.size));
  for (auto i : c.ffAt) bytes[static_cast<std::size_t>(i)] = 0xFF;
  for (auto i : c.e1At) bytes[static_cast<std::size_t>(i)] = 0xE1;
  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "f.bin", bytes);
  LazyFile file((dir.path() / "f.bin").string());
  EXPECT_EQ(ByteView(file).FindPair(0xFF, 0xE1, 2), c.expected);
  LazyFile memory(bytes);
  EXPECT_EQ(ByteView(memory).FindPair(0xFF, 0xE1, 2), c.expected) << "in memory";
}

INSTANTIATE_TEST_SUITE_P(Files, PairSearch, ::testing::ValuesIn(kPairCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LazyFile, ReadsEveryByteThroughEvictedBlocks) {
  // More blocks than the cache keeps, read twice in an order that forces
  // evictions; every byte, and texts across block borders, must stay right.
  const std::size_t size = static_cast<std::size_t>(kBlock) * 80 + 123;
  const auto bytes = Pattern(size);
  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "f.bin", bytes);
  LazyFile file((dir.path() / "f.bin").string());
  ByteView view(file);
  for (int round = 0; round < 2; ++round) {
    for (std::size_t i = 0; i < size; i += 997) ASSERT_EQ(view.At(static_cast<std::int64_t>(i)), bytes[i]) << i;
  }
  const std::int64_t first = kBlock - 3, last = 3 * kBlock + 5;
  EXPECT_EQ(view.Text(first, last), std::string(bytes.begin() + first, bytes.begin() + last + 1));
  EXPECT_EQ(view.Text(kBlock + 1, kBlock + 4), std::string(bytes.begin() + kBlock + 1, bytes.begin() + kBlock + 5));
}

TEST(ByteView, IndexLIsAZeroByteAndBeyondIsOutOfRange) {
  testing::TempDir dir;
  testing::WriteFileBytes(dir.path() / "f.bin", {0x12, 0x34, 0x56});
  LazyFile file((dir.path() / "f.bin").string());
  ByteView view(file);
  EXPECT_EQ(view.At(2), 0x56);
  EXPECT_EQ(view.At(3), 0);
  EXPECT_EQ(view.U16(2, true), 0x0056);
  EXPECT_EQ(view.Text(1, 3), std::string("\x34\x56\0", 3));
  for (std::int64_t bad : {std::int64_t{-1}, std::int64_t{4}, std::int64_t{1} << 40}) {
    try {
      (void)view.At(bad);
      FAIL() << bad;
    } catch (const ExifError& error) {
      EXPECT_EQ(error.kind(), ExifErrorKind::OutOfRange);
    }
  }
  EXPECT_THROW((void)view.U32(1, false), ExifError);
  EXPECT_THROW((void)view.Text(2, 4), ExifError);
}

TEST(LazyFile, FolderIsNotAFile) {
  testing::TempDir dir;
  try {
    LazyFile file(dir.path().string());
    FAIL();
  } catch (const ExifError& error) {
    EXPECT_EQ(error.kind(), ExifErrorKind::Io);
  }
}

}  // namespace
}  // namespace geoframe
