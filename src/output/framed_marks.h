#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "output/jpeg_segments.h"

namespace geoframe {

// The comment every framed output carries, "Framed by geoframe" and the
// version: framed output has no EXIF, so this is how a file tells that it
// was framed already and must not get a second frame.
JpegSegment FramedMark();

// Whether the stream's header holds a comment starting "Framed by geoframe"
// (written by any version).
bool CarriesFramedMark(std::span<const std::uint8_t> jpeg);

// The segments a framed output of this source carries beside the encoder's
// own: the source's colour profile (its APP2 ICC_PROFILE chunks, in order),
// then FramedMark. Nothing else of the source: no EXIF, no comments.
std::vector<JpegSegment> FramedOutputSegments(std::span<const std::uint8_t> source);

}  // namespace geoframe
