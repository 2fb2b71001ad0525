#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "io/folder.h"

int main(int argc, char** argv) {
  geoframe::RaiseOpenFileLimit();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return geoframe::cli::RunGeoframeCli(args);
}
