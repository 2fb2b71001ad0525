#include "jpeg_inspect.h"

#include <algorithm>
#include <stdexcept>

namespace geoframe::testing {

namespace {

// Zigzag position k holds the coefficient at natural position kZigzag[k].
constexpr std::array<int, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// ITU T.81 Annex K, tables K.1 and K.2, natural order.
constexpr std::array<int, 64> kLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominance = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

struct Segment {
  int marker;
  std::size_t start, length;  // payload after the length field
};

std::vector<Segment> SegmentsUpToScan(const std::vector<std::uint8_t>& jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) throw std::runtime_error("no SOI");
  std::vector<Segment> segments;
  std::size_t pos = 2;
  while (pos + 4 <= jpeg.size()) {
    if (jpeg[pos] != 0xFF) throw std::runtime_error("marker expected");
    int marker = jpeg[pos + 1];
    std::size_t length = static_cast<std::size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
    if (length < 2 || pos + 2 + length > jpeg.size()) throw std::runtime_error("bad segment");
    segments.push_back({marker, pos + 4, length - 2});
    if (marker == 0xDA) return segments;
    pos += 2 + length;
  }
  throw std::runtime_error("no SOS");
}

}  // namespace

std::vector<int> MarkersUpToScan(const std::vector<std::uint8_t>& jpeg) {
  std::vector<int> markers;
  for (const Segment& s : SegmentsUpToScan(jpeg)) markers.push_back(s.marker);
  return markers;
}

std::size_t FirstScanData(const std::vector<std::uint8_t>& jpeg) {
  const Segment scan = SegmentsUpToScan(jpeg).back();
  return scan.start + scan.length;
}

int ScanCount(const std::vector<std::uint8_t>& jpeg) {
  int scans = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) scans += jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA;
  return scans;
}

std::map<int, std::array<int, 64>> QuantisationTables(const std::vector<std::uint8_t>& jpeg) {
  std::map<int, std::array<int, 64>> tables;
  for (const Segment& s : SegmentsUpToScan(jpeg)) {
    if (s.marker != 0xDB) continue;
    for (std::size_t pos = s.start; pos < s.start + s.length;) {
      int precision = jpeg[pos] >> 4, id = jpeg[pos] & 0x0F;
      ++pos;
      std::array<int, 64> table{};
      for (int k = 0; k < 64; ++k) {
        table[kZigzag[k]] = precision ? (jpeg[pos] << 8 | jpeg[pos + 1]) : jpeg[pos];
        pos += precision ? 2 : 1;
      }
      tables[id] = table;
    }
  }
  return tables;
}

std::map<int, std::array<int, 64>> LibjpegTables(int quality) {
  quality = std::clamp(quality, 1, 100);
  int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  auto scaled = [scale](const std::array<int, 64>& base) {
    std::array<int, 64> table{};
    for (int i = 0; i < 64; ++i) table[i] = std::clamp((base[i] * scale + 50) / 100, 1, 255);
    return table;
  };
  return {{0, scaled(kLuminance)}, {1, scaled(kChrominance)}};
}

}  // namespace geoframe::testing
