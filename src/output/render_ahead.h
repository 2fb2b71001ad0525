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
#include "output/frame_picture.h"  // kFramingMemoryBudget

namespace geoframe {

// How often a caller waiting for a render hears of it at the least.
inline constexpr std::chrono::milliseconds kWaitSlice{50};

// Worker threads when the caller leaves it to the machine: one per CPU this
// process may run on (its affinity mask, which containers and taskset narrow).
std::size_t DefaultRenderThreads();

// Renders the photos of a batch (RenderPhoto: decode, frame, encode) on worker
// threads ahead of their commits, in list order: at most one photo per thread
// plus one is rendered or rendering ahead of the one the caller takes. The
// memory of a photo counts from the moment its file is read until the caller
// has committed its encoded result: first its file's bytes, then all that
// framing it takes, then its result. A photo's file is read, and its render
// started, only while everything counted stays within `budget` (what framing
// allows one photo), so a batch on any number of threads never needs more
// than the largest single photo would. A photo that needs no render is not
// given to the workers.
class RenderAhead {
 public:
  // Called while the caller waits, about every kWaitSlice; false gives up.
  using KeepWaiting = std::function<bool()>;

  RenderAhead(const std::vector<PhotoPlan>& plans, const FileSystem& fs, std::size_t threads,
              std::int64_t budget = kFramingMemoryBudget);
  // Discards what was rendered ahead, after the renders under way have ended.
  ~RenderAhead();
  RenderAhead(const RenderAhead&) = delete;
  RenderAhead& operator=(const RenderAhead&) = delete;

  // plans[index] rendered, waiting for it as long as keepWaiting says so;
  // nothing when it gave up. Indices are taken in order. What a render threw
  // that RenderPhoto does not turn into a failure is thrown here.
  std::optional<RenderedPhoto> Take(std::size_t index, const KeepWaiting& keepWaiting);
  // The result taken for plans[index] is committed (and freed): its memory
  // no longer counts.
  void Committed(std::size_t index);

  // Starts no further render and waits for those under way to end, calling
  // whileWaiting about every kWaitSlice.
  void Finish(const std::function<void()>& whileWaiting);

 private:
  struct Result {
    std::optional<RenderedPhoto> rendered;
    std::exception_ptr thrown;
  };

  void Work();
  std::optional<Result> Render(const PhotoPlan& plan, std::int64_t& counted);
  std::optional<std::size_t> NextJob();
  bool ReserveFile(std::size_t job, std::int64_t bytes);
  bool ReserveRest(std::int64_t file, std::int64_t more);
  void Store(std::size_t job, std::int64_t counted, Result result);

  const std::vector<PhotoPlan>& plans_;
  const FileSystem& fs_;
  const std::int64_t budget_;
  std::vector<std::size_t> jobs_;              // the plans to render, in list order
  std::vector<std::optional<std::size_t>> jobOf_;  // per plan: its job, if it has one
  std::size_t window_ = 1;                     // jobs started and not yet taken, at most

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Result> results_;  // per job
  std::vector<std::int64_t> resultBytes_;  // per job: its encoded result, counted until committed
  std::size_t started_ = 0;      // jobs a worker has begun
  std::size_t reserved_ = 0;     // jobs whose memory is reserved (in job order)
  std::size_t taken_ = 0;        // jobs the caller has taken
  std::size_t working_ = 0;      // workers not yet ended
  std::int64_t memoryInUse_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace geoframe
