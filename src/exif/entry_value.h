#pragma once

#include <cstdint>

#include "exif/byte_view.h"
#include "exif/exif_reader.h"

namespace geoframe {

// Where one IFD entry sits and what it says about its value.
struct EntryLayout {
  std::uint16_t dataType = 0;
  std::uint32_t count = 0;
  std::int64_t valueField = 0;  // absolute index of the entry's last four bytes
  std::int64_t tiffStart = 0;   // absolute index of the TIFF header
  bool littleEndian = false;
};

struct EntryValue {
  std::int32_t valueOffset = 0;  // the out-of-line offset field, or 0
  ExifValue value;
};

// Out-of-line data bytes one load may convert in all. A JPEG's EXIF segment
// holds at most 64 KB, so real files need a sixteenth of this at most; the limit keeps
// a file whose entries all point at the same megabytes from building texts
// without end. An entry whose data would exceed what is left gets an empty
// value and takes nothing from the budget.
inline constexpr std::int64_t kValueByteBudget = 1 << 20;

// Converts an entry's value by its field type:
//   BYTE, SBYTE      inline: 8 uppercase hex digits of the four value bytes,
//                    most significant first; out of line: the decimal texts
//                    of the Count bytes, concatenated.
//   ASCII, UNDEFINED inline: the four value bytes as characters, most
//                    significant first; out of line: Count - 1 characters
//                    (the terminating byte is dropped).
//   SHORT, SSHORT    inline: with Count 1 the 16-bit value in the field's
//                    first two bytes (SSHORT signed), with Count 2 the sum of
//                    the two values, with Count 0 empty;
//                    out of line: decimal texts of the first Count bytes,
//                    ascending in little-endian files, descending in
//                    big-endian files.
//   LONG, SLONG      inline: the 32-bit value (SLONG signed; a LONG of 2^31
//                    or more cannot be held and stays empty); out of line: as
//                    BYTE.
//   RATIONAL, SRATIONAL  "numerator/denominator" of the first rational, in
//                    both byte orders (SRATIONAL signed, e.g. "-1/3").
//   all other types  empty, with valueOffset 0.
// A value whose data lies outside the file, or past the signed 32-bit range,
// stays empty: the fault is confined to this entry. Throws only when reading
// the entry's own twelve bytes fails.
EntryValue ConvertEntryValue(const ByteView& bytes, const EntryLayout& entry, std::int64_t& byteBudget);

}  // namespace geoframe
