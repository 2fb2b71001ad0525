// libFuzzer harness for the track readers. Each input is a whole track file,
// read as the window reads it (ReadTrackFile: NMEA or GPX by its content), and
// also a line for the sentence parser. Both streaming readers are fed the input
// once whole and once in small pieces: a result that depends on where the
// pieces break aborts. Built and run by `scripts/fuzz track`.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/file_error.h"
#include "memory_file.h"
#include "track/gps_line.h"
#include "track/gpx_point.h"
#include "track/gpx_reader.h"
#include "track/track_file.h"
#include "track/track_log.h"

namespace {

template <typename Reader>
void FeedInPieces(Reader& reader, std::string_view text, std::size_t piece) {
  for (std::size_t at = 0; at < text.size(); at += piece) {
    if (!reader.Feed(text.substr(at, piece))) return;
  }
}

void SameLog(const geoframe::TrackLog& a, const geoframe::TrackLog& b) {
  if (a.points != b.points || a.truncated != b.truncated) std::abort();
}

void CheckNmea(std::string_view text, std::size_t piece) {
  geoframe::NmeaTrackReader reader(16);  // a small table, so that truncation is reached too
  FeedInPieces(reader, text, piece);
  SameLog(reader.Finish(), geoframe::ParseTrackLog(text, 16));
}

void CheckGpx(std::string_view text, std::size_t piece) {
  geoframe::GpxTrackReader whole(16), pieces(16);
  whole.Feed(text);
  FeedInPieces(pieces, text, piece);
  const geoframe::GpxTrack a = whole.Finish(), b = pieces.Finish();
  SameLog(a.log, b.log);
  if (a.damaged != b.damaged) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static geoframe::fuzz::MemoryFile file;
  file.Fill(data, size);
  try {
    (void)geoframe::ReadTrackFile(file.path);
  } catch (const geoframe::FileError&) {
    // Failing to read is the reader's way to reject a file; anything else escapes.
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)geoframe::ParseGpsLine(text);
  (void)geoframe::FormatCoordinate(text);
  const std::size_t third = size / 3;
  (void)geoframe::GpxTrackPoint(text.substr(0, third), text.substr(third, third), text.substr(2 * third));
  const std::size_t piece = size == 0 ? 1 : data[size - 1] % 17 + 1;
  CheckNmea(text, piece);
  CheckGpx(text, piece);
  return 0;
}
