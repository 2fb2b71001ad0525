#include "app/photo_intake.h"

#include <algorithm>  // std::count_if
#include <cerrno>
#include <filesystem>
#include <utility>    // std::move

#include "app/main_logic.h"
#include "app/output_texts.h"
#include "exif/exif_reader.h"
#include "io/file_error.h"
#include "io/hidden_name.h"
#include "io/read_file.h"

namespace geoframe {

namespace {

// Whether the path ends in one of the JPEG photo extensions, in any letter case.
bool HasPhotoExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = path.substr(dot);
  for (char& c : extension) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return extension == ".JPG" || extension == ".JPEG" || extension == ".JPE";
}

// The camera's time as a photo record holds it; empty when the file has none.
std::string ShootingTimeOrEmpty(const std::string& path) {
  try {
    return ReadShootingTime(path);
  } catch (const ExifError&) {
    // Whatever stops the EXIF reader, the photo is listed without a time.
    return {};
  }
}

constexpr const char* kLoadCaption = "加载照片文件";

struct ChosenPhoto {
  std::string folder;  // ends in "/"
  std::string name;
};

// Appends one row and one record per usable file, in order, with the progress
// strip; every file left out is named with its reason.
IntakeResult AddChosenPhotos(MainLogic& logic, const std::vector<ChosenPhoto>& chosen) {
  Toolkit& ui = logic.toolkit();
  IntakeResult result;
  const auto total = static_cast<std::int32_t>(chosen.size());
  logic.ShowProgress(kLoadCaption, 0, total);
  for (std::int32_t k = 1; k <= total; ++k) {
    const auto index = static_cast<std::size_t>(k - 1);
    const ChosenPhoto& photo = chosen[index];
    if (std::optional<LeftOutReason> reason = UnlistableReason(photo.folder + photo.name)) {
      result.leftOut.push_back({index, photo.name, *reason});
    } else if (ui.RowCount(ListId::Photos) >= kMaxPhotos) {
      // No record could hold another row.
      result.leftOut.push_back({index, photo.name, LeftOutReason::ListFull});
    } else {
      PhotoRecord record = MakePhotoRecord(photo.name, photo.folder);
      ui.AppendRow(ListId::Photos, record.FileName, record.HasExifTime ? 1 : 2);
      const int row = ui.RowCount(ListId::Photos);
      if (!record.ExifTime.empty()) logic.SetShownTime(row, record.ExifTime);
      ++result.added;
      if (record.HasExifTime) ++result.withExif;
      logic.Photos(row) = std::move(record);
    }
    logic.ShowProgress(kLoadCaption, k, total);
  }
  logic.ShowProgress("", 0, 0);
  return result;
}

// The files named with their reason in a summary, at most; "……等 N 个"
// with the number of all follows when there are more.
constexpr std::size_t kNamedLeftOut = 10;

// One line a file left out for what it is, with its reason (those left out
// because the list is full or the dialog could not give their names are
// counted on lines of their own).
std::string LeftOutLines(const IntakeResult& result) {
  std::string lines;
  std::size_t named = 0, all = 0;
  for (const LeftOutFile& file : result.leftOut) {
    if (file.reason == LeftOutReason::ListFull || file.reason == LeftOutReason::Unrepresentable) continue;
    if (++all > kNamedLeftOut) continue;
    lines += "\r\n" + file.name + ": " + LeftOutReasonText(file.reason);
    ++named;
  }
  if (all == 0) return {};
  if (all > named) lines += "\r\n……等 " + std::to_string(all) + " 个";
  return "\r\n未能加入的文件:" + lines;
}

}  // namespace

std::optional<LeftOutReason> UnlistableReason(const std::string& path) {
  if (!HasPhotoExtension(path)) return LeftOutReason::NotJpg;
  if (IsHiddenName(path)) return LeftOutReason::Hidden;
  std::optional<FileStatus> status;
  try {
    status = StatusOf(path);
  } catch (const FileError& error) {
    // A name that cannot even be looked at is no file the list can use.
    if (error.errnum() == EACCES || error.errnum() == EPERM) return LeftOutReason::NoAccess;
    return error.errnum() == ELOOP ? LeftOutReason::LinkLoop : LeftOutReason::Unlookable;
  }
  if (!status) return LeftOutReason::Missing;
  switch (status->kind) {
    case FileKind::Regular: return std::nullopt;
    case FileKind::Folder: return LeftOutReason::Folder;
    case FileKind::Special: return LeftOutReason::Special;
  }
  return LeftOutReason::Missing;
}

int IntakeResult::LeftOutFor(LeftOutReason reason) const {
  return static_cast<int>(
      std::count_if(leftOut.begin(), leftOut.end(), [reason](const LeftOutFile& f) { return f.reason == reason; }));
}

PhotoRecord MakePhotoRecord(const std::string& name, const std::string& folder) {
  PhotoRecord record{false, name, folder, ShootingTimeOrEmpty(folder + name)};
  record.HasExifTime = !record.ExifTime.empty();
  return record;
}

IntakeResult AddPhotoFiles(MainLogic& logic, const DlgFileList& files) {
  std::vector<ChosenPhoto> chosen;
  for (const std::string& name : files.FileNames) chosen.push_back({files.FolderPath, name});
  return AddChosenPhotos(logic, chosen);
}

IntakeResult AddChosenFiles(MainLogic& logic, const ChosenFiles& chosen) {
  const DlgFileList files = ToDlgFileList(chosen);
  IntakeResult result = AddPhotoFiles(logic, files);
  std::size_t index = files.FileNames.size();
  for (const std::string& name : chosen.unrepresentable) {
    result.leftOut.push_back({index++, name, LeftOutReason::Unrepresentable});
  }
  return result;
}

IntakeResult AddPhotoPaths(MainLogic& logic, const std::vector<std::string>& paths) {
  std::vector<ChosenPhoto> chosen;
  for (const std::string& path : paths) {
    // Absolute, so that the records name the file wherever the program runs.
    const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
    chosen.push_back({absolute.parent_path().string() + "/", absolute.filename().string()});
  }
  IntakeResult result = AddChosenPhotos(logic, chosen);
  for (LeftOutFile& file : result.leftOut) file.name = paths[file.index];
  return result;
}

std::string IntakeSummary(const IntakeResult& result, int rowCount, bool nameLeftOut) {
  std::string text = "当次加载 " + std::to_string(result.added) + " 张（其中 " +
                     std::to_string(result.withExif) + " 张含EXIF信息）照片!\r\n\r\n" +
                     "当前列表已加载共 " + std::to_string(rowCount) + " 张照片!";
  if (const int full = result.LeftOutFor(LeftOutReason::ListFull); full > 0) {
    text += "\r\n列表已满（最多 " + std::to_string(kMaxPhotos) + " 张），另有 " + std::to_string(full) +
            " 张照片未能加入!";
  }
  if (const int unnamed = result.LeftOutFor(LeftOutReason::Unrepresentable); unnamed > 0) {
    text += "\r\n另有 " + std::to_string(unnamed) + " 个文件未能加入：" + UnrepresentableNameReason() +
            "（可以把它们拖放到照片列表中）!";
  }
  return nameLeftOut ? text + LeftOutLines(result) : text;
}

std::string LeftOutReasonText(LeftOutReason reason) {
  switch (reason) {
    case LeftOutReason::Missing: return "文件不存在";
    case LeftOutReason::NoAccess: return "没有权限进入所在的文件夹";
    case LeftOutReason::LinkLoop: return "符号链接形成循环";
    case LeftOutReason::Unlookable: return "无法查看这个文件";
    case LeftOutReason::NotJpg: return "不是 .jpg、.jpeg 或 .jpe 照片";
    case LeftOutReason::Hidden: return "隐藏文件";
    case LeftOutReason::Folder: return "这是一个文件夹";
    case LeftOutReason::Special: return "这是设备或管道，不是普通文件";
    case LeftOutReason::ListFull: return "照片列表已满（最多 " + std::to_string(kMaxPhotos) + " 张）";
    case LeftOutReason::Unrepresentable: return UnrepresentableNameReason();
  }
  return "无法使用";
}

std::string NotAddedText(LeftOutReason reason) { return "无法添加：" + LeftOutReasonText(reason); }

std::string PhotoListCaption(int rowCount) { return "照片列表 " + std::to_string(rowCount) + "张照片"; }

}  // namespace geoframe
