#include "output/batch.h"

namespace geoframe {

BatchResult EditPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options, FileSystem& fs,
                       const BatchObserver& observer) {
  BatchState batch;  // the folders' locks go with it when the batch returns
  std::vector<PhotoPlan> plans;
  plans.reserve(photos.size());
  for (const PhotoInput& photo : photos) plans.push_back(PlanPhoto(photo, options, fs, batch));
  BatchResult result;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    result.outcomes.push_back(CommitPhoto(plans[i], RenderPhoto(plans[i], fs), fs, batch));
    if (observer.onPhoto) observer.onPhoto(i, result.outcomes.back());
    if (i + 1 < plans.size() && observer.stopRequested && observer.stopRequested()) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace geoframe
