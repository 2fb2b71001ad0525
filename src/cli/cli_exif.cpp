#include <iostream>

#include "cli/cli_commands.h"

namespace geoframe::cli {

int RunExif(const std::vector<std::string>&) {
  std::cerr << "geoframe-cli exif: not built yet\n";
  return 2;
}

}  // namespace geoframe::cli
