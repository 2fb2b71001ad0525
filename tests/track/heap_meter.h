#pragma once

#include <cstddef>

namespace geoframe::testing {

// The most heap memory (operator new) held at once since the object was made,
// beyond what was held then. Linking heap_meter.cpp replaces the program's
// global operator new and delete to count every allocation.
class HeapMeter {
 public:
  HeapMeter();
  std::size_t PeakBytes() const;

 private:
  std::size_t start_;
};

}  // namespace geoframe::testing
