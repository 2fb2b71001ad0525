#pragma once

#include <string>

namespace geoframe {

// One loaded photo. Its corrected time and its coordinate live only in its row
// of the photo list; the record keeps the camera's own time.
struct PhotoRecord {
  bool HasExifTime = false;
  std::string FileName;    // without folder; the row text of the photo list
  std::string FolderPath;  // always ends in the path separator "/"
  std::string ExifTime;    // "YYYY-MM-DD HH:MM:SS" as the camera wrote it, or empty

  std::string FullPath() const { return FolderPath + FileName; }
  bool operator==(const PhotoRecord&) const = default;
};

// The photo list holds at most this many photos.
inline constexpr int kMaxPhotos = 999;

}  // namespace geoframe
