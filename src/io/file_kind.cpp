#include "io/file_kind.h"

#include <sys/stat.h>  // stat

namespace geoframe {

FileKind KindOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileKind::Missing;
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  return FileKind::Special;
}

bool IsHiddenName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == '.';
}

}  // namespace geoframe
