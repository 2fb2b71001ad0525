// libFuzzer harness for the EXIF reader: every input is a whole file that the
// reader loads through its ordinary path. Built and run by `scripts/fuzz exif`.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "exif/exif_reader.h"
#include "memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static geoframe::fuzz::MemoryFile file;
  file.Fill(data, size);
  // One load per input, asked what photo intake, preview and the command
  // line ask of it.
  geoframe::ExifReader reader;
  try {
    reader.Load(file.path);
    const geoframe::ExifValue time = reader.Tag(36867);
    if (const auto* text = std::get_if<std::string>(&time)) (void)geoframe::ExifTimeToDateTimeText(*text);
    (void)reader.Tag(274);
    (void)reader.Tag(0);
    (void)reader.MakerNoteTag(1);
  } catch (const geoframe::ExifError&) {
    // Failing is the reader's way to reject a file; anything else escapes.
  }
  return 0;
}
