#include <iostream>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"

namespace geoframe::cli {

int RunTrack(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0].starts_with("-")) {
    std::cerr << "usage: geoframe-cli track FILE\n";
    return 2;
  }
  HeadlessSession session;
  const TrackLoadOutcome outcome = session.LoadTrack(args[0]);
  for (const HeadlessSession::TrackRow& row : session.TrackRows()) {
    std::cout << row.text << '\t' << row.pointTime << '\t' << row.coordinate << '\t' << row.elapsedSeconds << '\n';
  }
  std::cout.flush();
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
  if (outcome.result != TrackLoadResult::Loaded) {
    // The window ends silently on a missing or hidden file; here the user is told.
    std::cerr << "geoframe-cli track: " << args[0] << ": no such file or not readable\n";
    return 1;
  }
  // A GPX document that broke off gave only part of its points.
  return outcome.damaged ? 1 : 0;
}

}  // namespace geoframe::cli
