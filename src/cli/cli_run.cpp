#include <unistd.h>  // isatty

#include <QString>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/output_commands.h"
#include "app/output_texts.h"
#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "cli/headless_session.h"
#include "cli/modules.h"

namespace geoframe::cli {
namespace {

struct RunOptions {
  TrackAndTime trackAndTime;
  OutputOptions output;
  std::vector<std::string> photos;
};

// "time" or "prefix:TEXT" into the renaming options; false for anything else.
bool ParseRename(const std::string& value, OutputOptions& output) {
  output.rename = true;
  if (value == "time") return true;
  if (!value.starts_with("prefix:")) return false;
  output.renameByTime = false;
  output.prefix = value.substr(7);
  return true;
}

// The output options of a command line, with what it declares.
struct OutputFlags {
  explicit OutputFlags(CommandLine& line)
      : backup(line.Add({QStringLiteral("backup")}, QStringLiteral("Copy each photo into BackUp/ beside it first (the default)."))),
        noBackup(line.Add({QStringLiteral("no-backup")}, QStringLiteral("No backup copies."))),
        rename(line.Add({QStringLiteral("rename")},
                        QStringLiteral("time: YYYYMMDD_HHMMSS; prefix:TEXT: TEXT and the four-digit list number."),
                        QStringLiteral("RULE"))),
        frame(line.Add({QStringLiteral("frame")},
                       QStringLiteral("Replace each photo by a framed JPEG (quality 80) with an annotation line."))),
        comment(line.Add({QStringLiteral("comment")}, QStringLiteral("The comment opening the annotation line."),
                         QStringLiteral("TEXT"))),
        gps(line.Add({QStringLiteral("gps")}, QStringLiteral("Put the coordinate into the annotation line."))),
        noTime(line.Add({QStringLiteral("no-time")}, QStringLiteral("Leave the shooting time out of the annotation line."))),
        writeGps(line.Add({QStringLiteral("write-gps")},
                          QStringLiteral("Write the matched position and its UTC time into each photo's EXIF GPS "
                                         "tags. A photo that is not framed keeps every other byte."))),
        keepExif(line.Add({QStringLiteral("keep-exif")},
                          QStringLiteral("Framed photos keep the original's EXIF (upright, their own size, no "
                                         "thumbnail)."))) {}

  // The options given, or the exit status of a usage error (already told).
  std::variant<OutputOptions, int> Read(const CommandLine& line) const {
    OutputOptions output;
    output.backup = !line.IsSet(noBackup) || line.IsSet(backup);
    if (line.IsSet(rename) && !ParseRename(line.Value(rename), output)) {
      return line.UsageError("bad value for --rename: " + line.Value(rename));
    }
    output.frame = line.IsSet(frame);
    output.comment = line.Value(comment);
    output.withCoordinate = line.IsSet(gps);
    output.withTime = !line.IsSet(noTime);
    output.writeGps = line.IsSet(writeGps);
    output.keepExif = line.IsSet(keepExif);
    for (const QCommandLineOption* option : {&comment, &gps, &noTime, &keepExif}) {
      if (!output.frame && line.IsSet(*option)) return line.UsageError("--" + option->names().front().toStdString() + " needs --frame");
    }
    if (std::optional<NameProblem> problem = OptionsProblem(output)) {
      return line.UsageError(PrefixProblemText(output.prefix, *problem));
    }
    return output;
  }

  QCommandLineOption backup, noBackup, rename, frame, comment, gps, noTime, writeGps, keepExif;
};

std::variant<RunOptions, int> ParseRunOptions(const std::vector<std::string>& args) {
  CommandLine line("run",
                   QStringLiteral("Adds the photos, corrects their times, matches them to the track and then\n"
                                  "backs up, renames and frames every photo as the window's batch execute does;\n"
                                  "on request it also writes the positions into the photos' EXIF, which the\n"
                                  "window never does.\n"
                                  "Prints old path, new path, coordinate and \"ok\", \"already framed\" (a photo\n"
                                  "framed before is not framed again) or the reason for each photo.\n"
                                  "Exit status: 0 all photos done, 1 some failed, 2 bad usage."),
                   QStringLiteral("PHOTO..."), QStringLiteral("JPEG photos."));
  const TrackAndTimeOptions trackAndTime(line);
  const OutputFlags outputFlags(line);
  if (std::optional<int> status = line.Parse(args)) return *status;
  std::variant<TrackAndTime, int> times = trackAndTime.Read(line);
  if (const int* status = std::get_if<int>(&times)) return *status;
  std::variant<OutputOptions, int> output = outputFlags.Read(line);
  if (const int* status = std::get_if<int>(&output)) return *status;
  RunOptions options{std::get<TrackAndTime>(times), std::get<OutputOptions>(output), line.Positional()};
  if (options.photos.empty()) return line.UsageError("no photos given");
  return options;
}

// The output controls set as a user sets them, with their click handlers run.
void SetOutputControls(HeadlessSession& session, const OutputOptions& output) {
  MemoryToolkit& ui = session.toolkit();
  MainLogic& logic = session.logic();
  ui.SetChecked(ControlId::Ck_backup, output.backup);
  ui.SetChecked(ControlId::Ck_reanme, output.rename);
  logic.Ck_reanme_Click();
  ui.SetChecked(ControlId::Op_time, output.renameByTime);
  ui.SetChecked(ControlId::Op_incre, !output.renameByTime);
  ui.SetText(ControlId::incre_txt, output.prefix);
  ui.SetChecked(ControlId::Ck_frame, output.frame);
  logic.Ck_frame_Click();
  ui.SetText(ControlId::frame_txt, output.comment);
  ui.SetChecked(ControlId::Ck_gps, output.withCoordinate);
  ui.SetChecked(ControlId::Ck_time, output.withTime);
}

void PrintMessages(HeadlessSession& session) {
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
}

// "ok", "already framed" (left whole, no failure) or why the photo failed.
std::string StatusText(const PhotoOutcome& outcome) {
  if (!outcome.ok()) return PhotoFailureText(*outcome.failure);
  return outcome.alreadyFramed ? "already framed" : "ok";
}

// The EXIF the options ask for, with the positions matching gave the photos.
ExifRequest ExifFor(const OutputOptions& output, const MatchResult& matches) {
  ExifRequest exif{output.writeGps, output.keepExif, {}};
  for (const PhotoMatch& match : matches.photos) {
    if (match.position) exif.positions.emplace(match.row, *match.position);
  }
  return exif;
}

// Runs the batch, printing each photo's line as it is done and, on a
// terminal, the progress strip's text as the window shows it. Returns the number of failed photos.
int RunBatch(HeadlessSession& session, ExifRequest exif) {
  MainLogic& logic = session.logic();
  const int rows = session.toolkit().RowCount(ListId::Photos);
  std::vector<std::string> oldPaths;
  for (int row = 1; row <= rows; ++row) oldPaths.push_back(logic.Photos(row).FullPath());
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  int failed = 0;
  BatchHooks hooks;
  hooks.exif = std::move(exif);
  hooks.onPhoto = [&](int row, int count, const PhotoOutcome& outcome) {
    failed += outcome.ok() ? 0 : 1;
    std::cout << Field(oldPaths[static_cast<std::size_t>(row - 1)]) << '\t' << Field(logic.Photos(row).FullPath())
              << '\t' << logic.Coordinate(row) << '\t' << StatusText(outcome)
              << '\n';
    if (terminal) {
      std::cerr << '\r' << session.toolkit().Text(ControlId::txt_info) << " (" << row << "/" << count << ")"
                << std::flush;
    }
  };
  EditAllPhotos(logic, hooks);
  if (terminal && rows > 0) std::cerr << "\r\x1b[K" << std::flush;
  return failed;
}

int Run(const RunOptions& options) {
  HeadlessSession session;
  const std::vector<HeadlessSession::NotAdded> notAdded = session.AddPhotos(options.photos);
  const TrackAndTime& times = options.trackAndTime;
  if (!times.track.empty()) {
    if (std::optional<std::string> failure = TrackFailure(session.LoadTrack(times.track))) {
      PrintMessages(session);
      std::cerr << "geoframe-cli run: " << times.track << ": " << *failure << "; no photo was touched\n";
      return 1;
    }
  }
  session.CorrectClock(times.offset);
  MatchResult matches;
  if (!times.track.empty()) matches = session.MatchPhotos(times.tolerance, times.interpolate);
  SetOutputControls(session, options.output);
  const int failed = RunBatch(session, ExifFor(options.output, matches));
  for (const HeadlessSession::NotAdded& photo : notAdded) {
    std::cout << Field(photo.path) << "\t\t\t" << NotAddedText(photo.reason) << '\n';
  }
  std::cout.flush();
  PrintMessages(session);
  return failed > 0 || !notAdded.empty() ? 1 : 0;
}

}  // namespace

int RunRun(const std::vector<std::string>& args) {
  std::variant<RunOptions, int> parsed = ParseRunOptions(args);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const RunOptions& options = std::get<RunOptions>(parsed);
  // Only framing draws text, and only then is Qt Gui loaded; libexiv2 only
  // when EXIF is written.
  std::shared_ptr<void> textGui;
  if (options.output.frame) textGui = StartTextDrawing();
  if (options.output.writeGps || options.output.keepExif) StartExifWriting();
  return Run(options);
}

}  // namespace geoframe::cli
