#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "io/file_error.h"
#include "io/folder.h"
#include "io/read_file.h"
#include "output/file_names.h"
#include "output/file_system.h"
#include "output/frame_picture.h"  // PhotoSource
#include "output/output_error.h"
#include "timematch/geo_position.h"

namespace geoframe {

// The output options as the window's controls hold them.
struct OutputOptions {
  bool backup = true;          // Ck_backup
  bool rename = false;         // Ck_reanme
  bool renameByTime = true;    // Op_time selected (else Op_incre)
  std::string prefix;          // incre_txt
  bool frame = false;          // Ck_frame
  std::string comment;         // frame_txt
  bool withCoordinate = false;  // Ck_gps
  bool withTime = true;        // Ck_time
  // Only the command line asks for EXIF; the window's output carries none.
  bool writeGps = false;  // a GPS IFD for each photo with a position
  bool keepExif = false;  // a framed picture keeps the original's EXIF
};

// One photo of the list as output sees it.
struct PhotoInput {
  int row = 0;             // 1-based list row
  std::string folder;      // ends in "/"
  std::string fileName;
  bool hasExifTime = false;
  std::string timeText;    // the shown (possibly corrected) time "YYYY-MM-DD HH:MM:SS"
  std::string coordinate;  // the coordinate text, or empty
  std::optional<GeoPosition> position;  // the same as numbers, when matching found them
};

// Where on a photo's way a failure happened.
enum class PhotoStage {
  Plan,    // before any reading: names, the file's kind, the folder's lock, the same file again
  Render,  // reading, decoding, framing and encoding
  Backup,  // the copy into BackUp; nothing else was done yet
  Commit,  // writing, renaming or removing the photo's files
};

// Why a photo was left as it was.
struct PhotoFailure {
  PhotoStage stage = PhotoStage::Plan;
  std::variant<OutputError, FileError> error;
};

struct PhotoOutcome {
  std::string fileName;  // the photo's name afterwards (its old name when it failed)
  std::optional<PhotoFailure> failure;
  // Framing was asked for a file that carries the framed mark: the photo was
  // left whole (no backup, no rename), which is no failure.
  bool alreadyFramed = false;
  bool ok() const { return !failure.has_value(); }
};

// What one batch holds from its first photo to its end: the locks of the
// folders it writes in, and which row first took each file.
class BatchState {
 public:
  // Holds the folder's lock from now on, once however many paths lead to it.
  // Throws OutputError (FolderBusy) when another batch holds it, FileError when
  // it cannot be taken.
  void HoldFolder(const std::string& folder, FileSystem& fs);
  // The earlier row whose file this is, or nothing (the file is now this row's).
  std::optional<int> ClaimFile(const FileIdentity& file, int row);

 private:
  std::map<FileIdentity, FolderLock> folders_;
  std::map<FileIdentity, int> files_;
};

// What output will do with one photo, decided in list order before any file is
// touched or read.
struct PhotoPlan {
  PhotoInput photo;
  bool backup = false;
  bool frame = false;
  std::string wantedName;  // by the naming rules; the photo's own name when it keeps it
  std::string annotation;  // the line under a framed picture
  std::optional<PhotoFailure> failure;  // why the photo cannot be processed
  std::optional<GeoPosition> gps;  // the GPS IFD to write into the photo's EXIF
  bool keepExif = false;           // the framed picture keeps the original's EXIF
};

// A framed photo encoded as JPEG, or why it could not be made, or (nothing
// made) that the file was framed before.
struct RenderedPhoto {
  MappedMemory jpeg;
  std::optional<PhotoFailure> failure;
  bool alreadyFramed = false;
};

// Why the options cannot be used at all (a prefix that gives no plain file
// name), or nothing. Checked before any photo is touched.
std::optional<NameProblem> OptionsProblem(const OutputOptions& options);

// The name the naming rules give: the shown time as YYYYMMDD_HHMMSS, or the
// prefix and the four-digit row, each with the photo's extension; the photo's
// own name when no renaming applies or the shown time is no valid date-time.
std::string RuleName(const PhotoInput& photo, const OutputOptions& options);

// " " comment "  " coordinate "  " time, the parts as the options choose, the
// comment as a direction isolate (DirectionIsolate).
std::string AnnotationLine(const PhotoInput& photo, const OutputOptions& options);

// Plans one photo of a batch, in list order: its wanted name (which must fit
// the folder), its file (a regular file, not one an earlier row took) and its
// folder's lock, which the batch then holds.
PhotoPlan PlanPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs, BatchState& batch);

// Whether RenderPhoto has work for the plan: a photo to be framed or given a
// GPS IFD that has not failed already.
bool NeedsRender(const PhotoPlan& plan);

// The photo a plan frames, read ahead of its render, or why it could not be read.
struct RenderInput {
  std::optional<PhotoSource> source;
  std::optional<PhotoFailure> failure;
};

// The bytes ReadRenderInput will read for the plan, as far as the file's size
// tells now: 0 for a photo that needs no render or whose file cannot be looked at.
std::int64_t RenderFileBytes(const PhotoPlan& plan, const FileSystem& fs);

// Reads the file of a photo to be framed (nothing for a photo that needs no
// render), so that the memory its render takes is known before it starts.
RenderInput ReadRenderInput(const PhotoPlan& plan, const FileSystem& fs);

// Decodes, frames and encodes a photo to be framed from what ReadRenderInput
// read, with the framed mark and the photo's colour profile (FramedOutputSegments),
// a file that carries the mark already not being framed again; or writes the
// GPS IFD into a photo that is not framed. Touches no state, so photos may be
// rendered in any order and on several threads at once. Nothing for a photo
// that needs no render.
RenderedPhoto RenderPhoto(const PhotoPlan& plan, const RenderInput& input);

// ReadRenderInput, then RenderPhoto.
RenderedPhoto RenderPhoto(const PhotoPlan& plan, const FileSystem& fs);

// Carries out a plan, in list order: the free name (decided now, against the
// folder as earlier photos left it), the backup, then the framed file or the
// rename. A photo is never lost: the framed file is written before the
// original is removed, a failed backup leaves the photo untouched, no existing
// file is replaced but the photo's own, and on any failure the photo keeps its
// file and name. A photo framed before is left whole.
PhotoOutcome CommitPhoto(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs, BatchState& batch);

// One photo as a batch of one.
PhotoOutcome EditPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs);

}  // namespace geoframe
