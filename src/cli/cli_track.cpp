#include <iostream>
#include <optional>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/headless_session.h"

namespace geoframe::cli {

int RunTrack(const std::vector<std::string>& args) {
  CommandLine line("track",
                   QStringLiteral("Prints the points of a track file (an NMEA log or a GPX document) as the\n"
                                  "window lists them: row, TAB, local time, TAB, coordinate, TAB, seconds\n"
                                  "since the first point."),
                   QStringLiteral("FILE"), QStringLiteral("The track file."));
  if (std::optional<int> status = line.Parse(args)) return *status;
  const std::vector<std::string> files = line.Positional();
  if (files.size() != 1 || files[0].empty()) return line.UsageError("give exactly one track file");
  const std::string& file = files[0];
  HeadlessSession session;
  const TrackLoadOutcome outcome = session.LoadTrack(file);
  for (const HeadlessSession::TrackRow& row : session.TrackRows()) {
    std::cout << row.text << '\t' << row.pointTime << '\t' << row.coordinate << '\t' << row.elapsedSeconds << '\n';
  }
  std::cout.flush();
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
  if (outcome.result != TrackLoadResult::Loaded) {
    // The window ends silently on a missing or hidden file; here the user is told.
    std::cerr << "geoframe-cli track: " << file << ": no such file or not readable\n";
    return 1;
  }
  // A GPX document that broke off gave only part of its points.
  return outcome.damaged ? 1 : 0;
}

}  // namespace geoframe::cli
