// libFuzzer harness for the EXIF reader: every input is a whole file that the
// reader loads through its ordinary path. Built and run by `scripts/fuzz exif`.
#include <sys/mman.h>  // memfd_create
#include <unistd.h>    // ftruncate, pwrite

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "exif/exif_reader.h"

namespace {

// One in-memory file for the whole run, reached by its /proc path, so that
// each input goes through open and mmap like a photo on disk.
struct MemoryFile {
  int fd = ::memfd_create("exif_fuzz", 0);
  std::string path = "/proc/self/fd/" + std::to_string(fd);

  void Fill(const std::uint8_t* data, std::size_t size) {
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) std::abort();
    if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile file;
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
