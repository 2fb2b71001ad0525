#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace geoframe::testing {

// The marker codes (0xC0 for SOF0, 0xE1 for APP1, ...) of a JPEG stream from
// SOI up to and including its first SOS.
std::vector<int> MarkersUpToScan(const std::vector<std::uint8_t>& jpeg);

// Where the first scan's entropy-coded data starts: just after its SOS segment.
std::size_t FirstScanData(const std::vector<std::uint8_t>& jpeg);

// The number of scans (SOS markers). Entropy-coded data never holds one: a 0xFF
// there is always followed by 0x00 or a restart code.
int ScanCount(const std::vector<std::uint8_t>& jpeg);

// The stream's quantisation tables by table number, in natural (row) order.
std::map<int, std::array<int, 64>> QuantisationTables(const std::vector<std::uint8_t>& jpeg);

// libjpeg's tables for a quality: the standard luminance (0) and chrominance (1)
// tables scaled as jpeg_set_quality does, in natural order.
std::map<int, std::array<int, 64>> LibjpegTables(int quality);

}  // namespace geoframe::testing
