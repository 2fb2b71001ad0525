#include "output/batch.h"

#include <optional>

#include "output/render_ahead.h"

namespace geoframe {

BatchResult EditPhotos(const std::vector<PhotoInput>& photos, const OutputOptions& options, FileSystem& fs,
                       const BatchObserver& observer, std::size_t renderThreads) {
  BatchState batch;  // the folders' locks go with it when the batch returns
  std::vector<PhotoPlan> plans;
  plans.reserve(photos.size());
  for (const PhotoInput& photo : photos) plans.push_back(PlanPhoto(photo, options, fs, batch));
  const auto stopAsked = [&] { return observer.stopRequested && observer.stopRequested(); };
  const RenderAhead::KeepWaiting keepWaiting = [&] {
    if (observer.whileWaiting) observer.whileWaiting();
    return !stopAsked();
  };
  RenderAhead renders(plans, fs, renderThreads == 0 ? DefaultRenderThreads() : renderThreads);
  BatchResult result;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    std::optional<RenderedPhoto> rendered = renders.Take(i, keepWaiting);
    if (!rendered) {
      result.stopped = true;
      break;
    }
    result.outcomes.push_back(CommitPhoto(plans[i], *rendered, fs, batch));
    rendered.reset();
    renders.Committed(i);
    if (observer.onPhoto) observer.onPhoto(i, result.outcomes.back());
    if (i + 1 < plans.size() && stopAsked()) {
      result.stopped = true;
      break;
    }
  }
  renders.Finish(observer.whileWaiting);
  return result;
}

}  // namespace geoframe
