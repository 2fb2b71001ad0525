#include "output/framed_marks.h"

#include <algorithm>  // any_of
#include <string>
#include <string_view>

#include "geoframe_version.h"

namespace geoframe {

namespace {

constexpr std::string_view kMarkLead = "Framed by geoframe";
// An ICC profile's chunks carry a one-byte sequence number: at most 255 of them.
constexpr std::string_view kIccLead{"ICC_PROFILE\0", 12};
constexpr std::size_t kMaxIccChunks = 255;

}  // namespace

JpegSegment FramedMark() {
  const std::string mark = std::string(kMarkLead) + " " + GEOFRAME_VERSION;
  return {kCommentMarker, {mark.begin(), mark.end()}};
}

bool CarriesFramedMark(std::span<const std::uint8_t> jpeg) {
  const std::vector<JpegSegmentView> segments = HeaderSegments(jpeg);
  return std::any_of(segments.begin(), segments.end(), [](const JpegSegmentView& segment) {
    return segment.marker == kCommentMarker && segment.StartsWith(kMarkLead);
  });
}

std::vector<JpegSegment> FramedOutputSegments(std::span<const std::uint8_t> source) {
  std::vector<JpegSegment> kept;
  for (const JpegSegmentView& segment : HeaderSegments(source)) {
    if (kept.size() == kMaxIccChunks) break;
    if (segment.marker == kApp2Marker && segment.StartsWith(kIccLead)) {
      kept.push_back({segment.marker, {segment.payload.begin(), segment.payload.end()}});
    }
  }
  kept.push_back(FramedMark());
  return kept;
}

}  // namespace geoframe
