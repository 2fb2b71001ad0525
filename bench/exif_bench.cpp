// Cost of reading a photo's shooting time: ExifReader Load + Tag(36867), warm
// page cache. The large photos are made at start in a temporary folder:
//   - a 24 MB "camera" JPEG: an EXIF segment with IFD0, IFD1 and an Exif IFD
//     holding a 46 KB maker note, followed by 24 MB of entropy-coded bytes;
//   - a 20 MB JPEG without any FF E1 pair, which the segment search scans to
//     its end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "exif/exif_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian TIFF writer: just enough to lay out a camera-like segment.
struct LittleEndianTiff {
  Bytes bytes;
  void U16(std::uint32_t v) { bytes.insert(bytes.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }
  void U32(std::uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t field) {
    U16(tag), U16(type), U32(count), U32(field);
  }
};

constexpr std::uint32_t kMakerNoteSize = 46 * 1024;

// IFD0 (10 entries) at 8, IFD1 (5) after it, the Exif IFD (30) after that,
// then the out-of-line data: rationals, the time texts and the maker note.
Bytes CameraTiff() {
  constexpr std::uint32_t kIfd0 = 8, kIfd1 = kIfd0 + 2 + 12 * 10 + 4, kExif = kIfd1 + 2 + 12 * 5 + 4;
  constexpr std::uint32_t kData = kExif + 2 + 12 * 30 + 4;
  constexpr std::uint32_t kRational = kData, kTime = kData + 8, kMakerNote = kTime + 20;
  LittleEndianTiff t;
  t.bytes = {'I', 'I', 42, 0};
  t.U32(kIfd0);
  t.U16(10);
  t.Entry(0x0112, 3, 1, 1);
  for (std::uint16_t tag : {0x011A, 0x011B, 0x0213, 0x0128, 0x0131, 0x0132, 0x013B, 0x0214}) t.Entry(tag, 5, 1, kRational);
  t.Entry(0x8769, 4, 1, kExif);
  t.U32(kIfd1);
  t.U16(5);
  for (std::uint16_t tag : {0x0103, 0x011A, 0x011B, 0x0128, 0x0201}) t.Entry(tag, 4, 1, 6);
  t.U32(0);
  t.U16(30);
  t.Entry(0x9003, 2, 20, kTime);
  t.Entry(0x927C, 7, kMakerNoteSize, kMakerNote);
  for (std::uint16_t tag = 0xA000; tag < 0xA000 + 28; ++tag) t.Entry(tag, tag % 2 ? 5 : 3, 1, tag % 2 ? kRational : 1);
  t.U32(0);
  t.U32(72), t.U32(1);
  for (char c : std::string("2012:05:01 13:45:30")) t.bytes.push_back(static_cast<std::uint8_t>(c));
  t.bytes.push_back(0);
  std::mt19937 random(7);
  for (std::uint32_t i = 0; i < kMakerNoteSize; ++i) t.bytes.push_back(static_cast<std::uint8_t>(random()));
  return t.bytes;
}

// Random entropy-coded bytes: every 0xFF is followed by a stuffed 0x00, as in
// a real scan, so no marker (and no FF E1 pair) appears.
void AppendEntropy(Bytes& file, std::size_t size) {
  std::mt19937 random(11);
  while (file.size() < size) {
    const auto byte = static_cast<std::uint8_t>(random());
    file.push_back(byte);
    if (byte == 0xFF) file.push_back(0x00);
  }
}

std::string WriteLargeFile(const std::filesystem::path& dir, const std::string& name, bool withExif,
                           std::size_t size) {
  Bytes file = {0xFF, 0xD8};
  if (withExif) {
    const Bytes tiff = CameraTiff();
    const std::size_t length = 2 + 6 + tiff.size();
    file.insert(file.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
    file.insert(file.end(), tiff.begin(), tiff.end());
  } else {
    file.insert(file.end(), {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  }
  file.insert(file.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
  AppendEntropy(file, size);
  file.insert(file.end(), {0xFF, 0xD9});
  const std::filesystem::path path = dir / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  return path.string();
}

struct LargeFiles {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "geoframe-exif-bench";
  std::string camera, withoutExif;
  LargeFiles() {
    std::filesystem::create_directories(dir);
    camera = WriteLargeFile(dir, "camera-24mb.jpg", true, 24u << 20);
    withoutExif = WriteLargeFile(dir, "no-exif-20mb.jpg", false, 20u << 20);
  }
  ~LargeFiles() { std::filesystem::remove_all(dir); }
};

const LargeFiles& Files() {
  static LargeFiles files;
  return files;
}

void ReadTimeLoop(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    geoframe::ExifReader reader;
    reader.Load(path);
    benchmark::DoNotOptimize(reader.Tag(36867));
  }
}

void BM_ShootingTime_SmallCameraFile(benchmark::State& state) {
  const auto path = std::filesystem::path(GEOFRAME_TESTDATA_DIR) / "jpeg" / "Canon EOS REBEL T3i.jpg";
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("no test data in " GEOFRAME_TESTDATA_DIR);
    return;
  }
  ReadTimeLoop(state, path.string());
}

void BM_ShootingTime_Large24MbWith46KbMakerNote(benchmark::State& state) { ReadTimeLoop(state, Files().camera); }

void BM_ShootingTime_Large20MbWithoutExif(benchmark::State& state) {
  ReadTimeLoop(state, Files().withoutExif);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (20 << 20));
}

BENCHMARK(BM_ShootingTime_SmallCameraFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShootingTime_Large24MbWith46KbMakerNote)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShootingTime_Large20MbWithoutExif)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
