#include "output/photo_exif.h"

#include <atomic>

#include "output/exif_writer.h"
#include "output/gps_ifd.h"
#include "output/jpeg_segments.h"
#include "output/output_error.h"

namespace geoframe {
namespace {

std::atomic<const ExifWriter*> writerInUse{nullptr};

const ExifWriter& Writer() {
  const ExifWriter* writer = writerInUse.load();
  if (writer == nullptr) throw OutputError(OutputErrorKind::NoExifWriter, OutputError::Fields{});
  return *writer;
}

// Runs a step on the photo's bytes; its OutputError is told again with the
// photo's path.
template <typename Step>
auto NamingPhoto(const std::string& path, Step&& step) {
  try {
    return step();
  } catch (const OutputError& error) {
    OutputError::Fields fields = error.fields();
    fields.path = path;
    throw OutputError(error.kind(), std::move(fields));
  }
}

}  // namespace

void UseExifWriter(const ExifWriter& writer) { writerInUse.store(&writer); }

const ExifWriter* ExifWriterInUse() { return writerInUse.load(); }

std::vector<std::uint8_t> WithGpsExif(std::span<const std::uint8_t> jpeg, const GeoPosition& position,
                                      const std::string& path) {
  return NamingPhoto(path, [&] {
    const ExifSlot slot = FindExifSlot(jpeg);
    const std::span<const std::uint8_t> original = ExifTiff(jpeg, slot);
    const std::vector<std::uint8_t> tiff = TiffWithGps(original, position);
    Writer().checkGpsWritten(original, tiff, position);
    return WithExifSegment(jpeg, slot, tiff);
  });
}

namespace {

// The TIFF block of a framed picture's EXIF; empty when it gets none.
std::vector<std::uint8_t> FramedTiff(int width, int height, std::span<const std::uint8_t> original,
                                     bool keepOriginal, const std::optional<GeoPosition>& position) {
  std::vector<std::uint8_t> tiff;
  const std::span<const std::uint8_t> originalTiff = ExifTiff(original, FindExifSlot(original));
  if (keepOriginal && !originalTiff.empty()) tiff = Writer().framedExifTiff(originalTiff, width, height);
  if (position) tiff = TiffWithGps(tiff, *position);
  return tiff;
}

}  // namespace

std::vector<std::uint8_t> WithFramedExif(std::span<const std::uint8_t> framed, int width, int height,
                                         std::span<const std::uint8_t> original, bool keepOriginal,
                                         const std::optional<GeoPosition>& position, const std::string& path) {
  return NamingPhoto(path, [&] {
    const std::vector<std::uint8_t> tiff = FramedTiff(width, height, original, keepOriginal, position);
    if (tiff.empty()) return std::vector<std::uint8_t>(framed.begin(), framed.end());
    return WithExifSegment(framed, FindExifSlot(framed), tiff);
  });
}

std::optional<JpegSegment> FramedExifSegment(int width, int height, std::span<const std::uint8_t> original,
                                             bool keepOriginal, const std::optional<GeoPosition>& position,
                                             const std::string& path) {
  return NamingPhoto(path, [&]() -> std::optional<JpegSegment> {
    const std::vector<std::uint8_t> tiff = FramedTiff(width, height, original, keepOriginal, position);
    if (tiff.empty()) return std::nullopt;
    return ExifSegment(tiff);
  });
}

}  // namespace geoframe
