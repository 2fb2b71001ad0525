// geoframe-make-demo FOLDER: writes sample photos with EXIF shooting times and a
// matching NMEA track log into FOLDER (created when missing), to try geoframe
// without a camera.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "io/write_file.h"  // NewFileMode
#include "output/file_system.h"
#include "sample_photos.h"
#include "sample_track.h"

namespace {

struct DemoPhoto {
  const char* name;
  const char* exifTime;  // empty: no EXIF time
  int orientation;
};

// A morning walk: five photos along the track (one a portrait stored on its
// side, as cameras do), two taken in the same second, and one without EXIF time.
const std::vector<DemoPhoto> kPhotos = {
    {"IMG_0001.JPG", "2010:12:06 08:30:15", 1}, {"IMG_0002.JPG", "2010:12:06 08:47:40", 6},
    {"IMG_0003.JPG", "2010:12:06 09:15:02", 1}, {"IMG_0004.JPG", "2010:12:06 09:15:02", 1},
    {"IMG_0005.JPG", "2010:12:06 10:02:31", 1}, {"DSC_0006.jpg", "", 1},
};

// The track starts at 08:00:00 local time, one point every 10 seconds until 11:00.
constexpr const char* kTrackStart = "2010-12-06 08:00:00";
constexpr int kTrackPoints = 3 * 360, kTrackStep = 10;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: geoframe-make-demo FOLDER\n";
    return 2;
  }
  std::string folder = argv[1];
  if (!folder.ends_with('/')) folder += '/';
  try {
    std::filesystem::create_directories(folder);
    geoframe::FileSystem& disk = geoframe::RealFileSystem();
    unsigned seed = 0;
    for (const DemoPhoto& photo : kPhotos) {
      disk.WriteNewFile(folder + photo.name,
                        geoframe::tools::MakeSamplePhoto(1600, 1200, ++seed, photo.exifTime, photo.orientation),
                        geoframe::NewFileMode());
    }
    std::string track = geoframe::tools::MakeSampleTrack(kTrackStart, kTrackPoints, kTrackStep);
    disk.WriteNewFile(folder + "track.txt", {reinterpret_cast<const std::uint8_t*>(track.data()), track.size()},
                      geoframe::NewFileMode());
  } catch (const std::exception& error) {
    std::cerr << "geoframe-make-demo: " << error.what() << '\n';
    return 1;
  }
  std::cout << folder << ": " << kPhotos.size() << " photos and track.txt\n";
  return 0;
}
