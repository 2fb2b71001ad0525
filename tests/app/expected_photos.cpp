#include "expected_photos.h"

#include <fstream>
#include <sstream>

namespace geoframe::testing {

namespace {

int NumberOrZero(const std::string& text) { return text.empty() ? 0 : std::stoi(text); }

}  // namespace

std::vector<ExpectedPhoto> ReadExpectedPhotos(const std::filesystem::path& jpegFolder) {
  std::ifstream in(jpegFolder / "EXPECTED.tsv");
  std::vector<ExpectedPhoto> photos;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#' || line.rfind("file\t", 0) == 0) continue;
    // file, byte order, DateTimeOriginal, orientation, width, height, file size, make
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
    fields.resize(8);
    photos.push_back(ExpectedPhoto{fields[0], fields[2], NumberOrZero(fields[3]), NumberOrZero(fields[4]),
                                   NumberOrZero(fields[5]), std::stoull(fields[6])});
  }
  return photos;
}

}  // namespace geoframe::testing
