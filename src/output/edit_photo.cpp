#include "output/edit_photo.h"

#include <algorithm>  // copy, min
#include <cstdio>     // snprintf
#include <new>     // bad_alloc
#include <string_view>

#include "output/batch.h"
#include "output/frame_picture.h"
#include "output/framed_marks.h"
#include "output/photo_exif.h"
#include "timematch/date_time.h"

namespace geoframe {

namespace {

// Room for a name prefix: the prefix is followed by "0001.jpg".
constexpr std::size_t kMaxPrefixBytes = kNameMaxBytes - std::string_view("0001.jpg").size();

std::string PathOf(const PhotoInput& photo) { return photo.folder + photo.fileName; }

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

// Whether the photo's file is replaced by new bytes.
bool Rewrites(const PhotoPlan& plan) { return plan.frame || plan.gps.has_value(); }
bool ChangesFile(const PhotoPlan& plan) { return Rewrites(plan) || plan.wantedName != plan.photo.fileName; }
bool DoesSomething(const PhotoPlan& plan) { return plan.backup || ChangesFile(plan); }

// Runs one step of a photo's way; what it throws becomes the photo's failure,
// at the stage the step has reached. Running out of memory fails the photo,
// not the program.
template <typename Step>
std::optional<PhotoFailure> Attempt(const PhotoStage& stage, const std::string& path, Step&& step) {
  try {
    step();
    return std::nullopt;
  } catch (const OutputError& error) {
    return PhotoFailure{stage, error};
  } catch (const FileError& error) {
    return PhotoFailure{stage, error};
  } catch (const std::bad_alloc&) {
    return PhotoFailure{stage, OutputError(OutputErrorKind::OutOfMemory, path)};
  }
}

// A name the folder takes: a plain file name no longer than its file system allows.
void CheckName(const std::string& folder, const std::string& name, const FileSystem& fs) {
  const std::optional<NameProblem> problem = FileNameProblem(name);
  if (problem == NameProblem::TooLong || name.size() > fs.MaxNameBytes(folder)) {
    throw OutputError(OutputErrorKind::NameTooLong, folder, name);
  }
  if (problem) {
    OutputError::Fields fields;
    fields.path = folder;
    fields.detail = name;
    fields.nameProblem = *problem;
    throw OutputError(OutputErrorKind::BadName, std::move(fields));
  }
}

// The photo's file as it is now; nothing when it is gone and only a backup
// was asked for (there is nothing to copy). A folder, FIFO or device is refused.
std::optional<FileStatus> PhotoFile(const PhotoPlan& plan, const FileSystem& fs) {
  const std::string path = PathOf(plan.photo);
  std::optional<FileStatus> file = fs.Status(path);
  if (!file) {
    if (ChangesFile(plan)) throw OutputError(OutputErrorKind::Missing, path);
  } else if (file->kind != FileKind::Regular) {
    throw FileError(FileOp::Read, file->kind == FileKind::Folder ? FileErrorKind::Folder : FileErrorKind::Special,
                    path);
  }
  return file;
}

void CheckPlan(const PhotoPlan& plan, FileSystem& fs, BatchState& batch) {
  const PhotoInput& photo = plan.photo;
  if (plan.wantedName != photo.fileName) CheckName(photo.folder, plan.wantedName, fs);
  const std::optional<FileStatus> file = PhotoFile(plan, fs);
  if (!file) return;
  if (Rewrites(plan) && file->size == 0) throw OutputError(OutputErrorKind::EmptyFile, PathOf(photo));
  batch.HoldFolder(photo.folder, fs);
  if (std::optional<int> earlier = batch.ClaimFile(file->identity, photo.row)) {
    OutputError::Fields fields;
    fields.path = PathOf(photo);
    fields.row = *earlier;
    throw OutputError(OutputErrorKind::SameFileAgain, std::move(fields));
  }
}

// Names taken in the photo's folder, except the photo's own: when the search
// reaches it, the photo keeps its name, so renaming again changes nothing even
// for a numbered name (IMG_1.JPG does not move on to IMG_2.JPG).
NameTakenFn TakenButOwn(const PhotoInput& photo, NameTakenFn taken) {
  return [own = PathOf(photo), taken = std::move(taken)](const std::string& path) {
    return path != own && taken(path);
  };
}

// The first free form of the wanted name in the folder as it is now, after the
// photos before this one.
std::string FreeNameNow(const PhotoPlan& plan, const FileSystem& fs) {
  const PhotoInput& photo = plan.photo;
  if (plan.wantedName == photo.fileName) return photo.fileName;
  auto taken = [&fs](const std::string& path) { return fs.NameTaken(path); };
  return UniqueFileName(photo.folder, plan.wantedName, TakenButOwn(photo, taken));
}

void MakeBackup(const PhotoInput& photo, FileSystem& fs, BatchState& batch) {
  // The backup folder is held like the photo's own before a copy goes in.
  batch.HoldFolder(MakeBackupFolder(photo.folder, fs), fs);
  // No copy means no photo to copy: gone since it was looked at.
  if (!BackupPhoto(photo.folder, photo.fileName, fs)) throw OutputError(OutputErrorKind::Missing, PathOf(photo));
}

// The new file goes in first, with the original's permission bits; the
// original is removed only once its replacement exists, and when that removal
// fails the new file is taken back.
void WriteReplacement(const PhotoInput& photo, const std::string& name, const RenderedPhoto& rendered, unsigned mode,
                 FileSystem& fs) {
  if (name == photo.fileName) {
    fs.WriteFile(PathOf(photo), rendered.jpeg);  // replaces its own file in one step
    return;
  }
  const std::string newPath = photo.folder + name;
  fs.WriteNewFile(newPath, rendered.jpeg, mode);
  try {
    fs.RemoveFile(PathOf(photo));
  } catch (const FileError&) {
    try {
      fs.RemoveFile(newPath);
    } catch (const FileError&) {
      // Both files stay; the photo is still there under its old name.
    }
    throw;
  }
}

// The free name comes first, so that a name that does not fit fails the photo
// before its backup is made. Returns the photo's name afterwards.
std::string CarryOut(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs, BatchState& batch,
                     PhotoStage& stage) {
  const PhotoInput& photo = plan.photo;
  const std::optional<FileStatus> file = PhotoFile(plan, fs);
  if (!file) return photo.fileName;
  const std::string name = FreeNameNow(plan, fs);
  if (name != photo.fileName) CheckName(photo.folder, name, fs);
  if (plan.backup) {
    stage = PhotoStage::Backup;
    MakeBackup(photo, fs, batch);
    stage = PhotoStage::Commit;
  }
  if (Rewrites(plan)) {
    WriteReplacement(photo, name, rendered, file->mode, fs);
  } else if (name != photo.fileName) {
    fs.RenameFile(PathOf(photo), photo.folder + name);
  }
  return name;
}

// A result made as a vector, in the memory results are held in.
MappedMemory MappedCopy(std::span<const std::uint8_t> bytes) {
  MappedMemory copy(bytes.size());
  std::copy(bytes.begin(), bytes.end(), copy.data());
  return copy;
}

// The framed picture as JPEG, with the framed mark, the photo's colour profile
// and the EXIF the plan asks for.
MappedMemory FramedJpeg(const PhotoPlan& plan, const PhotoSource& source) {
  const EncodedJpeg encoded = FramePictureEncoded(source, plan.annotation, kFramedQuality);
  std::vector<JpegSegment> segments = FramedOutputSegments(source.jpeg);
  if (plan.keepExif || plan.gps) {
    // The EXIF goes first, right after the JFIF header, as WithFramedExif puts it.
    std::optional<JpegSegment> exif = FramedExifSegment(encoded.picture.width, encoded.picture.height, source.jpeg,
                                                        plan.keepExif, plan.gps, source.path);
    if (exif) segments.insert(segments.begin(), std::move(*exif));
  }
  MappedMemory jpeg(InsertedSize(encoded.bytes(), segments));
  InsertSegments(encoded.bytes(), segments, jpeg);
  return jpeg;
}

}  // namespace

void BatchState::HoldFolder(const std::string& folder, FileSystem& fs) {
  const std::optional<FileStatus> status = fs.Status(folder);
  if (status && folders_.contains(status->identity)) return;
  try {
    FolderLock lock = fs.LockFolder(folder);
    if (status) folders_.emplace(status->identity, std::move(lock));
  } catch (const FileError& error) {
    if (error.kind() == FileErrorKind::Busy) throw OutputError(OutputErrorKind::FolderBusy, folder);
    throw;
  }
}

std::optional<int> BatchState::ClaimFile(const FileIdentity& file, int row) {
  const auto [it, claimed] = files_.emplace(file, row);
  if (claimed) return std::nullopt;
  return it->second;
}

std::optional<NameProblem> OptionsProblem(const OutputOptions& options) {
  if (!options.rename || options.renameByTime) return std::nullopt;
  if (std::optional<NameProblem> problem = FileNameProblem(options.prefix)) return problem;
  if (options.prefix.size() > kMaxPrefixBytes) return NameProblem::NoRoomForNumber;
  return std::nullopt;
}

std::string RuleName(const PhotoInput& photo, const OutputOptions& options) {
  if (!options.rename) return photo.fileName;
  if (options.renameByTime) {
    // A time that is no real date-time ("0000-00-00 00:00:00", a blank one)
    // would give a name that says nothing: such a photo keeps its name.
    if (!photo.hasExifTime || !IsValidDateTime(photo.timeText)) return photo.fileName;
    return CompactTime(photo.timeText) + Extension(photo.fileName);
  }
  return options.prefix + FourDigits(photo.row) + Extension(photo.fileName);
}

std::string AnnotationLine(const PhotoInput& photo, const OutputOptions& options) {
  // The comment is isolated, so that coordinate and time stand after it left to
  // right whatever script or direction controls it holds.
  std::string line = " ";
  line += DirectionIsolate(options.comment);
  line += "  ";
  if (options.withCoordinate) line += photo.coordinate;
  line += "  ";
  if (options.withTime) line += photo.timeText;
  return line;
}

PhotoPlan PlanPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs, BatchState& batch) {
  PhotoPlan plan{photo, options.backup, options.frame, RuleName(photo, options), "", std::nullopt, std::nullopt, false};
  if (options.frame) plan.annotation = AnnotationLine(photo, options);
  if (options.writeGps) plan.gps = photo.position;
  plan.keepExif = options.frame && options.keepExif;
  if (DoesSomething(plan)) {
    plan.failure = Attempt(PhotoStage::Plan, PathOf(photo), [&] { CheckPlan(plan, fs, batch); });
  }
  return plan;
}

bool NeedsRender(const PhotoPlan& plan) { return Rewrites(plan) && !plan.failure; }

std::int64_t RenderFileBytes(const PhotoPlan& plan, const FileSystem& fs) {
  if (!NeedsRender(plan)) return 0;
  try {
    const std::optional<FileStatus> file = fs.Status(PathOf(plan.photo));
    return file ? std::min(file->size, kMaxPhotoFileBytes) : 0;
  } catch (const FileError&) {
    return 0;  // the read fails too, as the photo's failure
  }
}

RenderInput ReadRenderInput(const PhotoPlan& plan, const FileSystem& fs) {
  RenderInput input;
  if (!NeedsRender(plan)) return input;
  const std::string path = PathOf(plan.photo);
  input.failure = Attempt(PhotoStage::Render, path, [&] { input.source = ReadPhotoSource(path, fs); });
  return input;
}

RenderedPhoto RenderPhoto(const PhotoPlan& plan, const RenderInput& input) {
  RenderedPhoto rendered;
  if (!input.source) {
    rendered.failure = input.failure;
    return rendered;
  }
  const PhotoSource& source = *input.source;
  rendered.alreadyFramed = plan.frame && CarriesFramedMark(source.jpeg);
  if (rendered.alreadyFramed) return rendered;
  rendered.failure = Attempt(PhotoStage::Render, source.path, [&] {
    rendered.jpeg =
        plan.frame ? FramedJpeg(plan, source) : MappedCopy(WithGpsExif(source.jpeg, *plan.gps, source.path));
  });
  return rendered;
}

RenderedPhoto RenderPhoto(const PhotoPlan& plan, const FileSystem& fs) {
  return RenderPhoto(plan, ReadRenderInput(plan, fs));
}

PhotoOutcome CommitPhoto(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs, BatchState& batch) {
  const PhotoInput& photo = plan.photo;
  if (plan.failure) return {photo.fileName, plan.failure};
  if (rendered.failure) return {photo.fileName, rendered.failure};
  if (rendered.alreadyFramed) return {photo.fileName, std::nullopt, true};
  if (!DoesSomething(plan)) return {photo.fileName, std::nullopt};
  std::string name = photo.fileName;
  PhotoStage stage = PhotoStage::Commit;
  std::optional<PhotoFailure> failure =
      Attempt(stage, PathOf(photo), [&] { name = CarryOut(plan, rendered, fs, batch, stage); });
  if (failure) return {photo.fileName, std::move(failure)};
  return {name, std::nullopt};
}

PhotoOutcome EditPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs) {
  return EditPhotos({photo}, options, fs).outcomes.front();
}

}  // namespace geoframe
