#pragma once

#include <string_view>

namespace geoframe {

// True when the path's last name starts with ".": the program treats such files
// as hidden everywhere (the photo list never shows them, output never takes
// them for a photo).
inline bool IsHiddenName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == '.';
}

}  // namespace geoframe
