#pragma once

#include <string>
#include <string_view>

namespace geoframe {

// What stands under a path.
enum class FileKind {
  Missing,  // nothing (or nothing this process may look at)
  Regular,  // an ordinary file
  Folder,
  Special,  // a FIFO, device or socket
};

// The kind of what the path names, links followed; found without opening it,
// so it never blocks on a FIFO or touches a device.
FileKind KindOf(const std::string& path);

// True when the path's last name starts with ".": the program treats such files
// as hidden everywhere (the photo list never shows them, output never takes
// them for a photo).
bool IsHiddenName(std::string_view path);

}  // namespace geoframe
