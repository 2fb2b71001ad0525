#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/main_logic.h"
#include "output/edit_photo.h"
#include "timematch/geo_position.h"

namespace geoframe {

// EXIF the command line asks the batch to write; the window asks for none.
struct ExifRequest {
  bool writeGps = false;  // a GPS IFD for each photo with a position
  bool keepExif = false;  // framed pictures keep the original's EXIF
  std::map<int, GeoPosition> positions;  // by row, as matching found them
};

using PhotoDoneFn = std::function<void(int row, int rows, const PhotoOutcome& outcome)>;

// What a front end hears and decides while "批量执行" runs.
struct BatchHooks {
  // Each photo as it is done (row, row count, outcome), e.g. for a command
  // line's progress.
  PhotoDoneFn onPhoto;
  // Called about every 50 ms while the batch waits for a photo's render, e.g.
  // to keep the window painting and hear Escape; stopRequested is asked after
  // each call and after each photo (see BatchObserver).
  std::function<void()> whileWaiting;
  std::function<bool()> stopRequested;
  ExifRequest exif;
};

// What "批量执行" does: every photo of the list in list order, the progress
// strip, the preview of row 1 and the completion message, which names the
// failed photos and why. Returns the outcomes of the rows done in row order
// (all rows unless stopped); nothing when the list is empty or the options
// were refused (a message then said why).
std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const BatchHooks& hooks = {});
std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const PhotoDoneFn& onPhoto);

}  // namespace geoframe
