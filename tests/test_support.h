#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace geoframe::testing {

// The folder of real camera files and GPS logs (GEOFRAME_TESTDATA_DIR). Throws
// when it is missing, so that a test needing it fails rather than passes on
// nothing.
std::filesystem::path TestDataDir();

// A fresh, empty folder under the system's temporary folder, removed again when
// the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the program holds folders: with a trailing separator.
  std::string folder() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The regular files below a folder, as paths relative to it ("a.jpg",
// "BackUp/a.jpg"), sorted.
std::vector<std::string> FilesUnder(const std::filesystem::path& folder);

}  // namespace geoframe::testing

