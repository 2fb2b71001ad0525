#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace geoframe::testing {

// One camera file of the test data as exiftool describes it in
// jpeg/EXPECTED.tsv.
struct ExpectedPhoto {
  std::string name;
  std::string dateTimeOriginal;  // EXIF form "YYYY:MM:DD HH:MM:SS", or empty
  int orientation = 0;           // 0 when the file has none
  int width = 0, height = 0;     // stored pixel size
  std::uintmax_t fileSize = 0;
};

// The rows of EXPECTED.tsv in the given folder, in file order; empty when absent.
std::vector<ExpectedPhoto> ReadExpectedPhotos(const std::filesystem::path& jpegFolder);

}  // namespace geoframe::testing
