#include "heap_meter.h"

#include <malloc.h>  // malloc_usable_size

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gHeld{0};
std::atomic<std::size_t> gPeak{0};

}  // namespace

// The other forms of new and delete (arrays, nothrow) call these.
void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t held = gHeld += malloc_usable_size(block);
  std::size_t peak = gPeak.load();
  while (held > peak && !gPeak.compare_exchange_weak(peak, held)) continue;
  return block;
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  gHeld -= malloc_usable_size(block);
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace geoframe::testing {

HeapMeter::HeapMeter() : start_(gHeld.load()) { gPeak = start_; }

std::size_t HeapMeter::PeakBytes() const { return gPeak.load() - start_; }

}  // namespace geoframe::testing
