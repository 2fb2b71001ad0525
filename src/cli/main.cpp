#include <iostream>
#include <string>
#include <vector>

#include "app/output_texts.h"
#include "cli/cli_commands.h"
#include "io/folder.h"

namespace {

constexpr const char* kUsage =
    "usage: geoframe-cli COMMAND ...\n"
    "  exif [--dump] FILE...      shooting times (or every EXIF record) of photos\n"
    "  track FILE                 the points of a track file (NMEA log or GPX)\n"
    "  match --track FILE [--offset +HH:MM:SS|-HH:MM:SS] [--tolerance N] PHOTO...\n"
    "                             coordinates of photos by their corrected times\n"
    "  run [options] PHOTO...     back up, rename and frame photos (run --help)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  geoframe::RaiseOpenFileLimit();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  using namespace geoframe::cli;
  try {
    if (command == "exif") return RunExif(args);
    if (command == "track") return RunTrack(args);
    if (command == "match") return RunMatch(args);
    if (command == "run") return RunRun(args);
  } catch (const std::exception&) {
    // Out of memory, or a failure no subcommand expected: said plainly, not an abort.
    std::cerr << "geoframe-cli " << command << ": " << geoframe::UnexpectedFailureText(std::current_exception())
              << '\n';
    return 1;
  }
  std::cerr << kUsage;
  return 2;
}
