#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/headless_session.h"
#include "timematch/clock_correction.h"
#include "timematch/matching.h"

namespace geoframe::cli {
namespace {

constexpr const char* kUsage =
    "usage: geoframe-cli match --track FILE [--offset +HH:MM:SS|-HH:MM:SS] [--tolerance N] PHOTO...\n"
    "  --offset     camera clock correction (hours 0-23, minutes and seconds 0-59); default +00:00:00\n"
    "  --tolerance  largest distance in seconds to a track point, 0-600; default 120\n";

struct MatchOptions {
  std::string track;
  ClockOffset offset;
  int tolerance = kDefaultTolerance;
  std::vector<std::string> photos;
};

std::optional<MatchOptions> ParseMatchOptions(const std::vector<std::string>& args) {
  MatchOptions options;
  bool onlyPhotos = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyPhotos || !arg.starts_with("--")) {
      options.photos.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPhotos = true;
      continue;
    }
    if (i + 1 >= args.size()) return std::nullopt;
    const std::string& value = args[++i];
    if (arg == "--track") {
      options.track = value;
    } else if (arg == "--offset") {
      std::optional<ClockOffset> offset = ParseClockOffset(value);
      if (!offset) return std::nullopt;
      options.offset = *offset;
    } else if (arg == "--tolerance") {
      std::optional<int> tolerance = ParseTolerance(value);
      if (!tolerance) return std::nullopt;
      options.tolerance = *tolerance;
    } else {
      return std::nullopt;
    }
  }
  if (options.track.empty() || options.photos.empty()) return std::nullopt;
  return options;
}

void PrintMessages(HeadlessSession& session) {
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
}

}  // namespace

int RunMatch(const std::vector<std::string>& args) {
  std::optional<MatchOptions> options = ParseMatchOptions(args);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  HeadlessSession session;
  const std::vector<HeadlessSession::NotAdded> notAdded = session.AddPhotos(options->photos);
  if (session.LoadTrack(options->track).result != TrackLoadResult::Loaded) {
    PrintMessages(session);
    std::cerr << "geoframe-cli match: " << options->track << ": no such file or not readable\n";
    return 1;
  }
  session.CorrectClock(options->offset);
  session.MatchPhotos(options->tolerance);
  for (const HeadlessSession::PhotoRow& row : session.PhotoRows()) {
    std::cout << row.name << '\t' << row.shownTime << '\t' << row.coordinate << '\n';
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
