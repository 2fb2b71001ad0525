#include <iostream>

#include "cli/cli_commands.h"

namespace geoframe::cli {

int RunMatch(const std::vector<std::string>&) {
  std::cerr << "geoframe-cli match: not built yet\n";
  return 2;
}

}  // namespace geoframe::cli
