#pragma once

#include <string>

#include "app/photo_record.h"
#include "app/split_dlg_file.h"

namespace geoframe {

class MainLogic;

// A file the photo list and the preview accept: an ordinary file (a hidden one,
// whose name starts with ".", counts as missing) whose path ends in ".JPG" in
// any letter case. Files ending in ".jpeg" are therefore never listed.
bool IsListablePhoto(const std::string& path);

// The record of one chosen file: blank when the file is not usable; otherwise
// name and folder, and the camera's shooting time when its EXIF data gives one
// (a file whose EXIF cannot be read is listed without a time).
PhotoRecord MakePhotoRecord(const std::string& name, const std::string& folder);

// What one load added to the photo list.
struct IntakeResult {
  int added = 0;        // rows appended
  int withExif = 0;     // of those, rows whose photo has an EXIF time
  int leftOutFull = 0;  // usable files not added because the list held its 999 photos
};

// Appends one row and one record per usable file, in order, showing the
// progress strip while it runs and hiding it at the end. Stops adding at the
// list's limit of 999 photos and counts the usable files left out.
IntakeResult AddPhotoFiles(MainLogic& logic, const DlgFileList& files);

// The message shown after a load.
std::string IntakeSummary(const IntakeResult& result, int rowCount);

// The caption of the photo list frame with n rows: "照片列表 n张照片".
std::string PhotoListCaption(int rowCount);

}  // namespace geoframe
