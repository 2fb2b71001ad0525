#include <iostream>

#include "cli/cli_commands.h"

namespace geoframe::cli {

int RunRun(const std::vector<std::string>&) {
  std::cerr << "geoframe-cli run: not built yet\n";
  return 2;
}

}  // namespace geoframe::cli
