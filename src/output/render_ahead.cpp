#include "output/render_ahead.h"

#include <sched.h>  // sched_getaffinity

#include <algorithm>
#include <system_error>
#include <utility>  // exchange

#include "output/text_drawing.h"

namespace geoframe {

namespace {

// Whether any photo of the batch has an annotation with a glyph to draw.
bool DrawsText(const std::vector<PhotoPlan>& plans, const std::vector<std::size_t>& jobs) {
  return std::any_of(jobs.begin(), jobs.end(),
                     [&](std::size_t job) { return !IsBlankAnnotation(plans[job].annotation); });
}

}  // namespace

std::size_t DefaultRenderThreads() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0) return static_cast<std::size_t>(std::max(1, CPU_COUNT(&cpus)));
  return std::max(1u, std::thread::hardware_concurrency());  // more CPUs than a cpu_set_t holds
}

RenderAhead::RenderAhead(const std::vector<PhotoPlan>& plans, const FileSystem& fs, std::size_t threads,
                         std::int64_t budget)
    : plans_(plans), fs_(fs), budget_(budget), jobOf_(plans.size()) {
  for (std::size_t i = 0; i < plans.size(); ++i) {
    if (!NeedsRender(plans[i])) continue;
    jobOf_[i] = jobs_.size();
    jobs_.push_back(i);
  }
  results_.resize(jobs_.size());
  resultBytes_.resize(jobs_.size());
  const std::size_t count = std::min(std::max<std::size_t>(threads, 1), jobs_.size());
  window_ = count + 1;
  if (count == 0) return;
  const bool drawsText = DrawsText(plans_, jobs_);
  if (drawsText) BeginTextBatch();
  working_ = count;
  threads_.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      if (threads_.empty()) throw;
      break;  // fewer workers than asked for still do every photo
    }
  }
  {
    std::lock_guard lock(mutex_);
    working_ -= count - threads_.size();
  }
  // While the workers decode their first photos; one that is ready to draw
  // before this has ended waits for it (text_drawing.h).
  if (drawsText) WarmUpText();
}

RenderAhead::~RenderAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::optional<RenderedPhoto> RenderAhead::Take(std::size_t index, const KeepWaiting& keepWaiting) {
  if (!jobOf_[index]) return RenderPhoto(plans_[index], fs_);  // nothing to render
  const std::size_t job = *jobOf_[index];
  std::unique_lock lock(mutex_);
  const auto ready = [&] { return results_[job].rendered || results_[job].thrown; };
  while (!changed_.wait_for(lock, kWaitSlice, ready)) {
    lock.unlock();
    const bool keep = !keepWaiting || keepWaiting();
    lock.lock();
    if (!keep) return std::nullopt;
  }
  Result result = std::exchange(results_[job], {});
  taken_ = job + 1;
  lock.unlock();
  changed_.notify_all();
  if (result.thrown) std::rethrow_exception(result.thrown);
  return std::move(result.rendered);
}

void RenderAhead::Finish(const std::function<void()>& whileWaiting) {
  std::unique_lock lock(mutex_);
  stopping_ = true;
  changed_.notify_all();
  while (!changed_.wait_for(lock, kWaitSlice, [&] { return working_ == 0; })) {
    if (!whileWaiting) continue;
    lock.unlock();
    whileWaiting();
    lock.lock();
  }
}

// A worker: takes the next photo in list order while the window allows, reads
// it once its file fits beside what is counted, and renders it once all its
// framing does.
void RenderAhead::Work() {
  while (const std::optional<std::size_t> job = NextJob()) {
    const PhotoPlan& plan = plans_[jobs_[*job]];
    std::int64_t counted = RenderFileBytes(plan, fs_);
    if (!ReserveFile(*job, counted)) break;
    std::optional<Result> result = Render(plan, counted);
    if (!result) break;
    Store(*job, counted, std::move(*result));
  }
  {
    std::lock_guard lock(mutex_);
    --working_;
  }
  changed_.notify_all();
}

// Reads and renders a photo; `counted` is the memory counted for it: its
// file's bytes on entry, all its framing once that is reserved. Nothing when
// the batch stops before the render starts. What is thrown is not a photo's
// failure: the caller's thread rethrows it.
std::optional<RenderAhead::Result> RenderAhead::Render(const PhotoPlan& plan, std::int64_t& counted) {
  Result result;
  RenderInput input;
  try {
    input = ReadRenderInput(plan, fs_);
  } catch (const std::exception&) {
    result.thrown = std::current_exception();
  }
  const std::int64_t bytes = std::max(counted, input.source ? FramingBytes(*input.source) : 0);
  if (!ReserveRest(counted, bytes - counted)) return std::nullopt;
  counted = bytes;
  if (!result.thrown) {
    try {
      result.rendered = RenderPhoto(plan, input);
    } catch (const std::exception&) {
      result.thrown = std::current_exception();
    }
  }
  return result;
}

std::optional<std::size_t> RenderAhead::NextJob() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || started_ == jobs_.size() || started_ < taken_ + window_; });
  if (stopping_ || started_ == jobs_.size()) return std::nullopt;
  return started_++;
}

// Memory is handed out in list order, so that a large photo is never passed
// over by the smaller ones after it: a job keeps its turn from its file's
// bytes until the rest of its framing is counted. One that exceeds the budget
// alone waits until nothing else is counted.
bool RenderAhead::ReserveFile(std::size_t job, std::int64_t bytes) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] {
    return stopping_ || (reserved_ == job && (memoryInUse_ == 0 || memoryInUse_ + bytes <= budget_));
  });
  if (stopping_) return false;
  memoryInUse_ += bytes;
  return true;
}

bool RenderAhead::ReserveRest(std::int64_t file, std::int64_t more) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || memoryInUse_ == file || memoryInUse_ + more <= budget_; });
  if (stopping_) return false;
  ++reserved_;
  memoryInUse_ += more;
  lock.unlock();
  changed_.notify_all();
  return true;
}

// The render's memory is given back and its encoded result counted instead.
void RenderAhead::Store(std::size_t job, std::int64_t counted, Result result) {
  {
    std::lock_guard lock(mutex_);
    resultBytes_[job] = result.rendered ? static_cast<std::int64_t>(result.rendered->jpeg.size()) : 0;
    memoryInUse_ += resultBytes_[job] - counted;
    results_[job] = std::move(result);
  }
  changed_.notify_all();
}

void RenderAhead::Committed(std::size_t index) {
  if (!jobOf_[index]) return;
  {
    std::lock_guard lock(mutex_);
    memoryInUse_ -= std::exchange(resultBytes_[*jobOf_[index]], 0);
  }
  changed_.notify_all();
}

}  // namespace geoframe
