#pragma once

#include <fstream>
#include <string>

namespace geoframe::bench {

// The process's peak resident memory in kB (VmHWM: this program image's own
// high-water mark, unlike getrusage, which keeps the spawning parent's peak);
// -1 where the kernel does not tell.
inline long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace geoframe::bench
