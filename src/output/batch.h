#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "output/edit_photo.h"

namespace geoframe {

// What the caller of a batch hears while it runs.
struct BatchObserver {
  // After each photo's commit, in list order: its index in the list and outcome.
  std::function<void(std::size_t index, const PhotoOutcome& outcome)> onPhoto;
  // Asked after each photo but the last; true stops the batch there and leaves
  // the photos after it untouched.
  std::function<bool()> stopRequested;
};

struct BatchResult {
  std::vector<PhotoOutcome> outcomes;  // one per photo done, in list order
  bool stopped = false;                // the caller stopped it before the end
};

// Backs up, renames and frames a list of photos in list order: every photo is
// planned first (taking the locks of their folders, which the batch holds
// until it returns), then each is rendered and committed in turn. The result
// on disk is that of EditPhoto on one photo after the other. Rendering only
// reads, so it may run ahead of the commits on other threads; the commits stay
// in list order on the caller's thread.
BatchResult EditPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options, FileSystem& fs,
                       const BatchObserver& observer = {});

}  // namespace geoframe
