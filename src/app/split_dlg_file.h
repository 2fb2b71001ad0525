#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/toolkit.h"

namespace geoframe {

// The files chosen in the open dialog: their folder and their names.
struct DlgFileList {
  std::int32_t FileCount = 0;          // 0 when nothing was chosen or the result cannot be split
  std::string FolderPath;              // always ends in "/"
  std::vector<std::string> FileNames;  // without folder, in dialog order

  bool operator==(const DlgFileList&) const = default;
};

// Splits the raw result of a multiple-selection open dialog: either one full path,
// or the folder, a NUL and the names separated by NULs. In both forms the folder
// is the current folder, which the dialog has just made the chosen one; the
// first length-of-currentFolder characters of raw are therefore dropped unseen.
// (Kept for dialogs that answer in this raw form; the Qt dialog hands over the
// folder and the names, which ToDlgFileList takes.)
DlgFileList SplitDlgFile(std::string_view raw, std::string_view currentFolder);

// The same, with the process's current folder.
DlgFileList SplitDlgFile(std::string_view raw);

// The same list from a dialog that hands over the folder and the names directly.
DlgFileList ToDlgFileList(const ChosenFiles& chosen);

}  // namespace geoframe
