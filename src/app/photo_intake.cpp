#include "app/photo_intake.h"

#include <filesystem>
#include <system_error>
#include <utility>  // std::move

#include "app/main_logic.h"
#include "exif/exif_reader.h"

namespace geoframe {

namespace {

bool EndsInJpgAnyCase(const std::string& path) {
  if (path.size() < 4) return false;
  std::string last = path.substr(path.size() - 4);
  for (char& c : last) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return last == ".JPG";
}

bool IsHiddenName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return nameStart < path.size() && path[nameStart] == '.';
}

// The camera's time as a photo record holds it; empty when the file has none.
std::string ShootingTimeOrEmpty(const std::string& path) {
  try {
    return ReadShootingTime(path);
  } catch (...) {
    // Whatever stops the EXIF reader, the photo is listed without a time.
    return {};
  }
}

constexpr const char* kLoadCaption = "加载照片文件";

}  // namespace

bool IsListablePhoto(const std::string& path) {
  if (path.empty() || !EndsInJpgAnyCase(path) || IsHiddenName(path)) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

PhotoRecord MakePhotoRecord(const std::string& name, const std::string& folder) {
  PhotoRecord record;
  const std::string path = folder + name;
  if (!IsListablePhoto(path)) return record;
  record.FileName = name;
  record.FolderPath = folder;
  record.ExifTime = ShootingTimeOrEmpty(path);
  record.HasExifTime = !record.ExifTime.empty();
  return record;
}

IntakeResult AddPhotoFiles(MainLogic& logic, const DlgFileList& files) {
  Toolkit& ui = logic.toolkit();
  IntakeResult result;
  logic.ShowProgress(kLoadCaption, 0, files.FileCount);
  for (std::int32_t k = 1; k <= files.FileCount; ++k) {
    const std::string& name = files.FileNames[static_cast<std::size_t>(k - 1)];
    if (ui.RowCount(ListId::Photos) >= kMaxPhotos) {
      // No record could hold another row; only count what would have been added.
      if (IsListablePhoto(files.FolderPath + name)) ++result.leftOutFull;
    } else if (PhotoRecord record = MakePhotoRecord(name, files.FolderPath); !record.FileName.empty()) {
      ui.AppendRow(ListId::Photos, record.FileName, record.HasExifTime ? 1 : 2);
      const int row = ui.RowCount(ListId::Photos);
      if (!record.ExifTime.empty()) logic.SetShownTime(row, record.ExifTime);
      ++result.added;
      if (record.HasExifTime) ++result.withExif;
      logic.Photos(row) = std::move(record);
    }
    logic.ShowProgress(kLoadCaption, k, files.FileCount);
  }
  logic.ShowProgress("", 0, 0);
  return result;
}

std::string IntakeSummary(const IntakeResult& result, int rowCount) {
  std::string text = "当次加载 " + std::to_string(result.added) + " 张（其中 " +
                     std::to_string(result.withExif) + " 张含EXIF信息）照片!\r\n\r\n" +
                     "当前列表已加载共 " + std::to_string(rowCount) + " 张照片!";
  if (result.leftOutFull > 0) {
    text += "\r\n列表已满（最多 " + std::to_string(kMaxPhotos) + " 张），另有 " +
            std::to_string(result.leftOutFull) + " 张照片未能加入!";
  }
  return text;
}

std::string PhotoListCaption(int rowCount) { return "照片列表 " + std::to_string(rowCount) + "张照片"; }

}  // namespace geoframe
