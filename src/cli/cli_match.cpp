#include <iostream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/headless_session.h"

namespace geoframe::cli {
namespace {

struct MatchOptions {
  TrackAndTime trackAndTime;
  std::vector<std::string> photos;
};

// The command line's options, or the exit status when it ends here.
std::variant<MatchOptions, int> ParseMatchOptions(const std::vector<std::string>& args) {
  CommandLine line("match",
                   QStringLiteral("Adds the photos, corrects their times and gives each the coordinate of the\n"
                                  "track point nearest its time, as the window does (or, with --interpolate,\n"
                                  "the position between the two points around it). Prints name, TAB, shown\n"
                                  "time, TAB, coordinate for each photo."),
                   QStringLiteral("PHOTO..."), QStringLiteral("JPEG photos."));
  const TrackAndTimeOptions trackAndTime(line);
  if (std::optional<int> status = line.Parse(args)) return *status;
  std::variant<TrackAndTime, int> values = trackAndTime.Read(line);
  if (const int* status = std::get_if<int>(&values)) return *status;
  MatchOptions options{std::get<TrackAndTime>(values), line.Positional()};
  if (options.trackAndTime.track.empty()) return line.UsageError("--track is required");
  if (options.photos.empty()) return line.UsageError("no photos given");
  return options;
}

void PrintMessages(HeadlessSession& session) {
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
}

}  // namespace

int RunMatch(const std::vector<std::string>& args) {
  std::variant<MatchOptions, int> parsed = ParseMatchOptions(args);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const MatchOptions* options = &std::get<MatchOptions>(parsed);
  HeadlessSession session;
  const std::vector<HeadlessSession::NotAdded> notAdded = session.AddPhotos(options->photos);
  if (std::optional<std::string> failure = TrackFailure(session.LoadTrack(options->trackAndTime.track))) {
    PrintMessages(session);
    std::cerr << "geoframe-cli match: " << options->trackAndTime.track << ": " << *failure << '\n';
    return 1;
  }
  session.CorrectClock(options->trackAndTime.offset);
  session.MatchPhotos(options->trackAndTime.tolerance, options->trackAndTime.interpolate);
  for (const HeadlessSession::PhotoRow& row : session.PhotoRows()) {
    std::cout << Field(row.name) << '\t' << row.shownTime << '\t' << row.coordinate << '\n';
  }
  std::cout.flush();
  PrintMessages(session);
  if (!notAdded.empty()) {
    std::cerr << "geoframe-cli match: " << notAdded.size() << " of " << options->photos.size()
              << " photos could not be added\n";
    return 1;
  }
  return 0;
}

}  // namespace geoframe::cli
