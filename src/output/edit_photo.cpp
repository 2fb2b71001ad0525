#include "output/edit_photo.h"

#include <cstdio>  // snprintf
#include <map>
#include <new>  // bad_alloc

#include "io/file_error.h"
#include "output/frame_picture.h"
#include "output/save_jpg.h"

namespace geoframe {

namespace {

// Linux refuses longer names; the prefix is followed by "0001.jpg".
constexpr std::size_t kMaxPrefixBytes = 255 - 8;

std::string Extension(const std::string& fileName) { return SplitExtension(fileName).extension; }

// 2010-11-11 13:31:02 -> 20101111_133102
std::string CompactTime(const std::string& timeText) {
  std::string out;
  for (char c : timeText) {
    if (c == '-' || c == ':') continue;
    out += c == ' ' ? '_' : c;
  }
  return out;
}

std::string FourDigits(int row) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", row);
  return digits;
}

PhotoOutcome Failed(const PhotoPlan& plan, const std::string& error) {
  return {false, plan.photo.fileName, error};
}

// Names taken in the photo's folder, except the photo's own: when the search
// reaches it, the photo keeps its name, so renaming again changes nothing even
// for a numbered name (IMG_1.JPG does not move on to IMG_2.JPG).
NameTakenFn TakenButOwn(const PhotoInput& photo, NameTakenFn taken) {
  return [own = photo.folder + photo.fileName, taken = std::move(taken)](const std::string& path) {
    return path != own && taken(path);
  };
}

// The planned name, or the first free one now when something took it since
// (an earlier photo of the batch that failed changes what is free).
std::string FreeNameNow(const PhotoPlan& plan, const FileSystem& fs) {
  const PhotoInput& photo = plan.photo;
  if (plan.newName == photo.fileName || !fs.NameTaken(photo.folder + plan.newName)) return plan.newName;
  auto taken = [&fs](const std::string& path) { return fs.NameTaken(path); };
  return UniqueFileName(photo.folder, plan.newName, TakenButOwn(photo, taken));
}

// The framed file goes in first; the original is removed only once its
// replacement exists, and when that removal fails the new file is taken back.
std::string WriteFramed(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs) {
  const PhotoInput& photo = plan.photo;
  const std::string name = FreeNameNow(plan, fs);
  if (name == photo.fileName) {
    fs.WriteFile(photo.folder + photo.fileName, rendered.jpeg);  // replaces its own file in one step
    return name;
  }
  const std::string newPath = photo.folder + name;
  fs.WriteNewFile(newPath, rendered.jpeg);
  try {
    fs.RemoveFile(photo.folder + photo.fileName);
  } catch (const OutputError&) {
    try {
      fs.RemoveFile(newPath);
    } catch (const OutputError&) {
      // Both files stay; the photo is still there under its old name.
    }
    throw;
  }
  return name;
}

std::string RenameOnly(const PhotoPlan& plan, FileSystem& fs) {
  const PhotoInput& photo = plan.photo;
  const std::string name = FreeNameNow(plan, fs);
  if (name != photo.fileName) fs.RenameFile(photo.folder + photo.fileName, photo.folder + name);
  return name;
}

}  // namespace

std::optional<std::string> OptionsProblem(const OutputOptions& options) {
  if (!options.rename || options.renameByTime) return std::nullopt;
  if (auto problem = FileNameProblem(options.prefix, "前缀")) return problem;
  if (options.prefix.size() > kMaxPrefixBytes) return "前缀“" + options.prefix + "”太长。";
  return std::nullopt;
}

std::string RuleName(const PhotoInput& photo, const OutputOptions& options) {
  if (!options.rename) return photo.fileName;
  if (options.renameByTime) {
    if (!photo.hasExifTime) return photo.fileName;
    return CompactTime(photo.timeText) + Extension(photo.fileName);
  }
  return options.prefix + FourDigits(photo.row) + Extension(photo.fileName);
}

std::string AnnotationLine(const PhotoInput& photo, const OutputOptions& options) {
  return " " + options.comment + "  " + (options.withCoordinate ? photo.coordinate : "") + "  " +
         (options.withTime ? photo.timeText : "");
}

PhotoPlan PlanPhoto(const PhotoInput& photo, const OutputOptions& options, const NameTakenFn& taken) {
  PhotoPlan plan{photo, options.backup, options.frame, photo.fileName, "", ""};
  if (options.frame) plan.annotation = AnnotationLine(photo, options);
  std::string wanted = RuleName(photo, options);
  if (wanted == photo.fileName) return plan;
  // A time text that is not a plain time could give a hidden or odd name.
  if (auto problem = FileNameProblem(wanted, "新文件名")) {
    plan.error = *problem;
    return plan;
  }
  try {
    plan.newName = UniqueFileName(photo.folder, wanted, TakenButOwn(photo, taken));
  } catch (const OutputError& error) {
    plan.error = error.what();
  }
  return plan;
}

std::vector<PhotoPlan> PlanPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options,
                                  const FileSystem& fs) {
  // Paths whose state an earlier plan changes: true once taken, false once given up.
  std::map<std::string, bool> planned;
  auto taken = [&](const std::string& path) {
    auto it = planned.find(path);
    return it != planned.end() ? it->second : fs.NameTaken(path);
  };
  std::vector<PhotoPlan> plans;
  plans.reserve(photos.size());
  for (const PhotoInput& photo : photos) {
    PhotoPlan plan = PlanPhoto(photo, options, taken);
    if (plan.error.empty() && plan.newName != photo.fileName) {
      planned[photo.folder + photo.fileName] = false;
      planned[photo.folder + plan.newName] = true;
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

RenderedPhoto RenderPhoto(const PhotoPlan& plan, const FileSystem& fs) {
  if (!plan.frame || !plan.error.empty()) return {};
  try {
    QImage canvas = FramePicture(plan.photo.folder + plan.photo.fileName, plan.annotation, fs);
    return {EncodePicture(canvas, kFramedQuality), ""};
  } catch (const OutputError& error) {
    return {{}, error.what(), error};
  } catch (const FileError& error) {
    return {{}, error.what()};  // Transitional: the failure gets its kind with the typed outcomes
  } catch (const std::bad_alloc&) {
    return {{}, "内存不足，无法给 " + plan.photo.folder + plan.photo.fileName + " 加边框"};
  }
}

PhotoOutcome CommitPhoto(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs) {
  if (!plan.error.empty()) return Failed(plan, plan.error);
  if (!rendered.error.empty()) {
    PhotoOutcome outcome = Failed(plan, rendered.error);
    outcome.failure = rendered.failure;
    return outcome;
  }
  const PhotoInput& photo = plan.photo;
  const std::string oldPath = photo.folder + photo.fileName;
  const bool changesFile = plan.frame || plan.newName != photo.fileName;
  if (changesFile && !fs.FileExists(oldPath)) return Failed(plan, "找不到照片文件 " + oldPath);
  try {
    if (plan.backup) BackupPhoto(photo.folder, photo.fileName, fs);
  } catch (const OutputError& error) {
    return Failed(plan, std::string("无法备份，照片未改动: ") + error.what());
  }
  try {
    std::string name = plan.frame ? WriteFramed(plan, rendered, fs) : RenameOnly(plan, fs);
    return {true, name, ""};
  } catch (const OutputError& error) {
    return Failed(plan, error.what());
  }
}

PhotoOutcome EditPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs) {
  PhotoPlan plan = PlanPhoto(photo, options, [&fs](const std::string& path) { return fs.NameTaken(path); });
  return CommitPhoto(plan, RenderPhoto(plan, fs), fs);
}

}  // namespace geoframe
