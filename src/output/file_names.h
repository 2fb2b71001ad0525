#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "output/file_system.h"
#include "output/output_error.h"

namespace geoframe {

// The highest number a free-name search tries: base_1 up to base_32767.
inline constexpr int kMaxNameNumber = 32767;

// A photo name split before its extension: its last four characters (".jpg",
// ".jpe" in any letter case), or five for ".jpeg" in any letter case.
struct NameParts {
  std::string base;
  std::string extension;
};
NameParts SplitExtension(const std::string& name);

// Numbered candidate n of a name: base, "_", n, extension (IMG_0001_3.JPG).
std::string NumberedName(const std::string& name, int number);

// Whether anything is at a full path (the file system's NameTaken, or a view of
// the folder as an earlier photo of the same batch will leave it).
using NameTakenFn = std::function<bool(const std::string& path)>;

// The first of name, base_1, base_2, ... up to base_32767 under which nothing at
// all is in the folder (hidden files and folders count too, so nothing is ever
// replaced). Throws OutputError (NamesExhausted) when every name is taken.
std::string UniqueFileName(const std::string& folder, const std::string& name, const NameTakenFn& taken);
std::string UniqueFileName(const std::string& folder, const std::string& name, const FileSystem& fs);

// The backup folder of a photo folder, its sub-folder "BackUp", made when
// missing. Returns its path, which ends in "/". Throws FileError when it cannot
// be made.
std::string MakeBackupFolder(const std::string& folder, FileSystem& fs);

// Copies the photo folder + fileName into the BackUp folder beside it (created
// when missing) under its own name or the first free numbered form, never
// replacing an earlier copy. Returns the copy's path; nothing when the photo's
// file does not exist. Throws FileError when the folder or the copy cannot be
// made.
std::optional<std::string> BackupPhoto(const std::string& folder, const std::string& fileName,
                                       FileSystem& fs);

// Why the text cannot be a plain file name in a photo's folder (a separator, a
// control character, a leading "." that would hide the file, a character
// Windows file systems refuse, invalid UTF-8, over 255 bytes), or nothing when
// it can. ".." inside a name ("trip..") is an ordinary part of it.
std::optional<NameProblem> FileNameProblem(std::string_view text);

}  // namespace geoframe
