#include "app/split_dlg_file.h"

#include <filesystem>
#include <system_error>

namespace geoframe {

namespace {

std::string WithTrailingSeparator(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

// Names separated by NULs; the text starts with the NUL before the first name,
// and a NUL at the very end gives an empty last name.
std::vector<std::string> SplitAtNuls(std::string_view tail) {
  std::vector<std::string> names;
  for (char c : tail) {
    if (c == '\0') {
      names.emplace_back();
    } else {
      names.back() += c;
    }
  }
  return names;
}

}  // namespace

DlgFileList SplitDlgFile(std::string_view raw, std::string_view currentFolder) {
  // raw shorter than the current folder (the empty result after Cancel) cannot be split.
  if (raw.size() < currentFolder.size()) return {};
  std::string_view tail = raw.substr(currentFolder.size());
  DlgFileList result;
  if (tail.empty() || tail.front() != '\0') {
    // One file: the rest of its full path after the folder.
    if (!tail.empty() && tail.front() == '/') tail.remove_prefix(1);
    result.FileNames.emplace_back(tail);
  } else {
    result.FileNames = SplitAtNuls(tail);
  }
  result.FileCount = static_cast<std::int32_t>(result.FileNames.size());
  result.FolderPath = WithTrailingSeparator(currentFolder);
  return result;
}

DlgFileList SplitDlgFile(std::string_view raw) {
  std::error_code ec;
  std::filesystem::path current = std::filesystem::current_path(ec);
  if (ec) return {};
  return SplitDlgFile(raw, current.string());
}

DlgFileList ToDlgFileList(const ChosenFiles& chosen) {
  DlgFileList result;
  result.FolderPath = WithTrailingSeparator(chosen.folder);
  result.FileNames = chosen.names;
  result.FileCount = static_cast<std::int32_t>(chosen.names.size());
  return result;
}

}  // namespace geoframe
