#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exif/byte_view.h"
#include "exif/exif_reader.h"
#include "exif/lazy_file.h"

namespace geoframe {

// The working state of one ExifReader. The file is open only while Load
// runs: the reader holds no open file between calls.
struct ExifReader::State {
  std::string picFile;
  std::unique_ptr<LazyFile> file;
  ByteView fileBytes;  // indices 0..L over the file; index L reads as 0
  std::int64_t app1Pos = 0;    // the 0xFF of the EXIF segment's marker
  std::int64_t tiffStart = 0;  // app1Pos + 10: every TIFF offset counts from here
  std::int32_t ifd0Offset = 0;
  std::int32_t nextIfd = 0;
  std::int32_t exifIfdOffset = 0;  // from entry 0x8769; kept across loads
  std::vector<TagRecord> tagRecords;  // empty means never allocated
  bool hasExif = false;
  std::int64_t valueByteBudget = 0;  // out-of-line bytes the current load may still convert
};

}  // namespace geoframe
