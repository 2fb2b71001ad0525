#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "output/edit_photo.h"

namespace geoframe {

// What the caller of a batch hears while it runs. Every call comes on the
// caller's thread.
struct BatchObserver {
  // After each photo's commit, in list order: its index in the list and outcome.
  std::function<void(std::size_t index, const PhotoOutcome& outcome)> onPhoto;
  // Called about every 50 ms while the batch waits for a photo's render (and,
  // after a stop, for the renders under way to end), e.g. to keep a window
  // painting and hear its keys. It must not change the list or start output.
  std::function<void()> whileWaiting;
  // Asked after each photo but the last, and after each whileWaiting call
  // while a render is awaited; true stops the batch: the photo being committed
  // is finished, the photos after it (rendered ahead or not) stay untouched.
  std::function<bool()> stopRequested;
};

struct BatchResult {
  std::vector<PhotoOutcome> outcomes;  // one per photo done, in list order
  bool stopped = false;                // the caller stopped it before the end
};

// Backs up, renames and frames a list of photos in list order: every photo is
// planned first (taking the locks of their folders, which the batch holds
// until it returns), then each is rendered and committed in turn. Photos are
// rendered (read, decoded, framed, encoded) ahead on `renderThreads` worker
// threads (0: one per core), a few at a time and within a memory budget,
// while backups, writes, renames and removals happen in list order on the
// caller's thread. The result on disk, the names and the outcomes are those
// of EditPhoto on one photo after the other.
BatchResult EditPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options, FileSystem& fs,
                       const BatchObserver& observer = {}, std::size_t renderThreads = 0);

}  // namespace geoframe
