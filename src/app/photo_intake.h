#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/photo_record.h"
#include "app/split_dlg_file.h"

namespace geoframe {

class MainLogic;

// Why a chosen file gets no row.
enum class LeftOutReason {
  Missing,   // nothing under that name
  NoAccess,  // a folder on the way may not be searched
  LinkLoop,  // symbolic links that lead round in a circle
  Unlookable,  // the name cannot be looked at for another reason (too long, an I/O error)
  NotJpg,    // the name does not end in ".jpg", ".jpeg" or ".jpe" in any letter case
  Hidden,    // the name starts with "."
  Folder,    // a folder
  Special,   // a FIFO, device or socket
  ListFull,  // a usable photo, but the list already holds its 999 photos
  Unrepresentable,  // the dialog could not give its name (not UTF-8)
};

// Why the path is no photo the list and the preview accept (an ordinary,
// non-hidden file whose path ends in ".jpg", ".jpeg" or ".jpe" in any letter
// case), or nothing
// when it is one. ListFull is never given here.
std::optional<LeftOutReason> UnlistableReason(const std::string& path);
inline bool IsListablePhoto(const std::string& path) { return !UnlistableReason(path).has_value(); }

// The record of one chosen file that UnlistableReason accepts: name and
// folder, and the camera's shooting time when its EXIF data gives one (a file
// whose EXIF cannot be read is listed without a time).
PhotoRecord MakePhotoRecord(const std::string& name, const std::string& folder);

// A chosen file that got no row, and why.
struct LeftOutFile {
  std::size_t index = 0;  // its place in the list of chosen names
  std::string name;
  LeftOutReason reason = LeftOutReason::Missing;
};

// What one load did to the photo list.
struct IntakeResult {
  int added = 0;                     // rows appended (the last `added` rows of the list)
  int withExif = 0;                  // of those, rows whose photo has an EXIF time
  std::vector<LeftOutFile> leftOut;  // in the order chosen

  // Files left out for this reason.
  int LeftOutFor(LeftOutReason reason) const;
};

// Appends one row and one record per usable file, in order, showing the
// progress strip while it runs and hiding it at the end. Stops adding at the
// list's limit of 999 photos; every file left out is named with its reason.
IntakeResult AddPhotoFiles(MainLogic& logic, const DlgFileList& files);
// The same for the files of the open dialog; the names it could not give are
// left out after the others.
IntakeResult AddChosenFiles(MainLogic& logic, const ChosenFiles& chosen);
// The same for full or relative paths, which may lie in several folders (the
// photos named on the command line or dropped on the list); the files left
// out are named by their path as given, and their indices count in `paths`.
IntakeResult AddPhotoPaths(MainLogic& logic, const std::vector<std::string>& paths);

// Why a file was left out: "文件不存在" and the like.
std::string LeftOutReasonText(LeftOutReason reason);
// What a front end says of a file left out: "无法添加：文件不存在" and the like.
std::string NotAddedText(LeftOutReason reason);

// The message shown after a load. With `nameLeftOut` it also names each file
// left out for what it is (up to ten) with its reason, for files no dialog
// filtered: those named on the command line or dropped on the list.
std::string IntakeSummary(const IntakeResult& result, int rowCount, bool nameLeftOut = false);

// The caption of the photo list frame with n rows: "照片列表 n张照片".
std::string PhotoListCaption(int rowCount);

}  // namespace geoframe
