#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/file_names.h"
#include "output/file_system.h"
#include "output/output_error.h"

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
};

// One photo of the list as output sees it.
struct PhotoInput {
  int row = 0;             // 1-based list row
  std::string folder;      // ends in "/"
  std::string fileName;
  bool hasExifTime = false;
  std::string timeText;    // the shown (possibly corrected) time "YYYY-MM-DD HH:MM:SS"
  std::string coordinate;  // the coordinate text, or empty
};

// What output will do with one photo, decided in list order before any file is touched.
struct PhotoPlan {
  PhotoInput photo;
  bool backup = false;
  bool frame = false;
  std::string newName;     // a free name, or the photo's own name when it keeps it
  std::string annotation;  // the line under a framed picture
  std::string error;       // why the photo cannot be processed; empty when it can
};

// A framed photo encoded as JPEG, or why it could not be made.
struct RenderedPhoto {
  std::vector<std::uint8_t> jpeg;
  std::string error;
  std::optional<OutputError> failure = std::nullopt;  // the error itself, for the window to word
};

struct PhotoOutcome {
  bool ok = true;
  std::string fileName;  // the photo's name afterwards (its old name when it failed)
  std::string error;     // why it failed, naming the file
  std::optional<OutputError> failure = std::nullopt;  // the error itself where there is one, for the window to word
};

// Why the options cannot be used at all (a prefix that gives no plain file
// name), or nothing. Checked before any photo is touched.
std::optional<std::string> OptionsProblem(const OutputOptions& options);

// The name the naming rules give: the shown time as YYYYMMDD_HHMMSS, or the
// prefix and the four-digit row, each with the photo's extension; the photo's
// own name when no renaming applies.
std::string RuleName(const PhotoInput& photo, const OutputOptions& options);

// " " comment "  " coordinate "  " time, the parts as the options choose.
std::string AnnotationLine(const PhotoInput& photo, const OutputOptions& options);

// Plans one photo; `taken` tells which names of its folder are in use.
PhotoPlan PlanPhoto(const PhotoInput& photo, const OutputOptions& options, const NameTakenFn& taken);

// Plans a batch in list order: each photo's free name takes into account the
// names earlier photos of the batch will take and give up, so the names are
// those of a run one photo after the other.
std::vector<PhotoPlan> PlanPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options,
                                  const FileSystem& fs);

// Decodes, frames and encodes a photo to be framed; only reads. Nothing for a
// photo that is not framed.
RenderedPhoto RenderPhoto(const PhotoPlan& plan, const FileSystem& fs);

// Carries out a plan: backup, then the framed file or the rename. A photo is
// never lost: the framed file is written before the original is removed, a
// failed backup leaves the photo untouched, no existing file is replaced but
// the photo's own, and on any failure the photo keeps its file and name.
PhotoOutcome CommitPhoto(const PhotoPlan& plan, const RenderedPhoto& rendered, FileSystem& fs);

// The whole work for one photo: plan, render, commit.
PhotoOutcome EditPhoto(const PhotoInput& photo, const OutputOptions& options, FileSystem& fs);

}  // namespace geoframe
