#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "output/edit_photo.h"

namespace geoframe {

// How often a caller waiting for a render hears of it at the least.
inline constexpr std::chrono::milliseconds kWaitSlice{50};

// Worker threads when the caller leaves it to the machine: one per core.
std::size_t DefaultRenderThreads();

// Renders the photos of a batch (RenderPhoto: decode, frame, encode) on worker
// threads ahead of their commits, in list order: at most one photo per thread
// plus one is rendered or rendering ahead of the one the caller takes, and a
// photo starts rendering only while the memory of the renders under way
// stays within what framing allows one photo (kFramingMemoryBudget), so that
// rendering several at once never needs more than the largest single photo
// would. A photo that needs no render is not given to the workers.
class RenderAhead {
 public:
  // Called while the caller waits, about every kWaitSlice; false gives up.
  using KeepWaiting = std::function<bool()>;

  RenderAhead(const std::vector<PhotoPlan>& plans, const FileSystem& fs, std::size_t threads);
  // Discards what was rendered ahead, after the renders under way have ended.
  ~RenderAhead();
  RenderAhead(const RenderAhead&) = delete;
  RenderAhead& operator=(const RenderAhead&) = delete;

  // plans[index] rendered, waiting for it as long as keepWaiting says so;
  // nothing when it gave up. Indices are taken in order. What a render threw
  // that RenderPhoto does not turn into a failure is thrown here.
  std::optional<RenderedPhoto> Take(std::size_t index, const KeepWaiting& keepWaiting);

  // Starts no further render and waits for those under way to end, calling
  // whileWaiting about every kWaitSlice.
  void Finish(const std::function<void()>& whileWaiting);

 private:
  struct Result {
    std::optional<RenderedPhoto> rendered;
    std::exception_ptr thrown;
  };

  void Work();
  std::optional<std::size_t> NextJob();
  bool Reserve(std::size_t job, std::int64_t bytes);
  void Store(std::size_t job, std::int64_t bytes, Result result);

  const std::vector<PhotoPlan>& plans_;
  const FileSystem& fs_;
  std::vector<std::size_t> jobs_;              // the plans to render, in list order
  std::vector<std::optional<std::size_t>> jobOf_;  // per plan: its job, if it has one
  std::size_t window_ = 1;                     // jobs started and not yet taken, at most

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Result> results_;  // per job
  std::size_t started_ = 0;      // jobs a worker has begun
  std::size_t reserved_ = 0;     // jobs whose memory is reserved (in job order)
  std::size_t taken_ = 0;        // jobs the caller has taken
  std::size_t working_ = 0;      // workers not yet ended
  std::int64_t memoryInUse_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace geoframe
