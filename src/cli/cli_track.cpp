#include <iostream>

#include "cli/cli_commands.h"

namespace geoframe::cli {

int RunTrack(const std::vector<std::string>&) {
  std::cerr << "geoframe-cli track: not built yet\n";
  return 2;
}

}  // namespace geoframe::cli
