#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/descriptor.h"

namespace geoframe {

// The permission bits of a new file that copies none from another: 0666 less
// the process's umask, as open() would give it.
unsigned NewFileMode();

// A file being written beside `target`, in the same folder, that takes the
// target's name only once it is complete. On Linux it has no name at all while
// it is written (O_TMPFILE), so a crash at any moment leaves nothing behind.
// Where the file system has no unnamed files it is a hidden temporary file
// (".geoframe-" and six letters or digits), removed again when the object goes
// out of scope without being placed; after a crash RemoveLeftovers finds it.
// Only its owner can read it until Finish gives it its final permission bits.
// Every failure throws FileError (op Write) naming the target.
class NewFile {
 public:
  explicit NewFile(std::string target);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  void Write(std::span<const std::uint8_t> bytes);
  // Sets the permission bits (mode & 0777) and flushes the file to the disk; a
  // full disk may only show here.
  void Finish(unsigned mode);
  // Gives the finished file the target's name. Fails (EEXIST) when anything at
  // all has that name: nothing is ever replaced.
  void PlaceNew();
  // Puts the finished file in place of whatever has the target's name, in one
  // step: the name holds the old file or the new one, never neither. An
  // unnamed file first gets a hidden temporary name, which a crash before the
  // replacement can leave behind (RemoveLeftovers).
  void PlaceOver();

 private:
  std::string target_;
  std::string folder_;
  Descriptor fd_;
  std::string temporary_;  // the hidden name while there is one
};

// Renames without ever replacing what is at `to`; falls back to link + unlink
// on file systems without RENAME_NOREPLACE. Throws FileError (op Rename).
void RenameNoReplace(const std::string& from, const std::string& to);

// Whether a name in a folder is one of the hidden temporary names NewFile uses.
bool IsTemporaryName(std::string_view name);

// Removes the files with temporary names in an open folder: what a crashed
// writer left. Only safe while no other writer works in the folder (the
// caller holds its FolderLock). Best effort: what cannot be removed stays.
void RemoveLeftovers(const Descriptor& folder);

}  // namespace geoframe
