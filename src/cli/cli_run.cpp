#include <unistd.h>  // isatty

#include <QGuiApplication>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/output_commands.h"
#include "app/output_texts.h"
#include "cli/cli_commands.h"
#include "cli/headless_session.h"

namespace geoframe::cli {
namespace {

constexpr const char* kUsage =
    "usage: geoframe-cli run [--track FILE] [--offset +HH:MM:SS|-HH:MM:SS] [--tolerance N]\n"
    "                        [--backup|--no-backup] [--rename time|--rename prefix:TEXT]\n"
    "                        [--frame [--comment TEXT] [--gps] [--no-time]] PHOTO...\n"
    "  Adds the photos, corrects their times, matches them to the track and then\n"
    "  backs up, renames and frames every photo as the window's batch execute does.\n"
    "  --track      NMEA log whose $GPRMC points give the photos' coordinates\n"
    "  --offset     camera clock correction; default +00:00:00\n"
    "  --tolerance  largest distance in seconds to a track point, 0-600; default 120\n"
    "  --backup     copy each photo into BackUp/ beside it first (the default)\n"
    "  --no-backup  no backup copies\n"
    "  --rename     time: YYYYMMDD_HHMMSS; prefix:TEXT: TEXT and the four-digit list number\n"
    "  --frame      replace each photo by a framed JPEG (quality 80) with an annotation line\n"
    "  --comment    the comment opening the annotation line\n"
    "  --gps        put the coordinate into the annotation line\n"
    "  --no-time    leave the shooting time out of the annotation line\n"
    "Prints old path, new path, coordinate and \"ok\" or the error for each photo.\n"
    "Exit status: 0 all photos done, 1 some failed, 2 bad usage.\n";

struct RunOptions {
  std::string track;
  ClockOffset offset;
  int tolerance = 120;
  OutputOptions output;
  std::vector<std::string> photos;
  bool help = false;
};

struct Parsed {
  std::optional<RunOptions> options;
  std::string error;
};

Parsed Refuse(const std::string& error) { return {std::nullopt, error}; }

// "time" or "prefix:TEXT" into the renaming options.
bool ParseRename(const std::string& value, OutputOptions& output) {
  output.rename = true;
  if (value == "time") return true;
  if (!value.starts_with("prefix:")) return false;
  output.renameByTime = false;
  output.prefix = value.substr(7);
  return true;
}

// An option with a value; false when the value is not usable.
bool ParseValue(const std::string& name, const std::string& value, RunOptions& options) {
  if (name == "--track") {
    options.track = value;
  } else if (name == "--offset") {
    std::optional<ClockOffset> offset = ParseClockOffset(value);
    if (!offset) return false;
    options.offset = *offset;
  } else if (name == "--tolerance") {
    std::optional<int> tolerance = ParseTolerance(value);
    if (!tolerance) return false;
    options.tolerance = *tolerance;
  } else if (name == "--rename") {
    return ParseRename(value, options.output);
  } else if (name == "--comment") {
    options.output.comment = value;
  }
  return true;
}

// A flag; false when it is not one.
bool ParseFlag(const std::string& arg, RunOptions& options, std::set<std::string>& annotationFlags) {
  OutputOptions& output = options.output;
  if (arg == "--backup" || arg == "--no-backup") {
    output.backup = arg == "--backup";
  } else if (arg == "--frame") {
    output.frame = true;
  } else if (arg == "--gps") {
    output.withCoordinate = true;
    annotationFlags.insert(arg);
  } else if (arg == "--no-time") {
    output.withTime = false;
    annotationFlags.insert(arg);
  } else if (arg == "--help") {
    options.help = true;
  } else {
    return false;
  }
  return true;
}

Parsed ParseRunOptions(const std::vector<std::string>& args) {
  const std::set<std::string> withValue = {"--track", "--offset", "--tolerance", "--rename", "--comment"};
  RunOptions options;
  std::set<std::string> annotationFlags;
  bool onlyPhotos = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyPhotos || !arg.starts_with("--")) {
      options.photos.push_back(arg);
    } else if (arg == "--") {
      onlyPhotos = true;
    } else if (withValue.contains(arg)) {
      if (i + 1 >= args.size()) return Refuse(arg + " needs a value");
      if (!ParseValue(arg, args[++i], options)) return Refuse("bad value for " + arg + ": " + args[i]);
      if (arg == "--comment") annotationFlags.insert(arg);
    } else if (!ParseFlag(arg, options, annotationFlags)) {
      return Refuse("unknown option " + arg);
    }
  }
  if (options.help) return {options, ""};
  if (!options.output.frame && !annotationFlags.empty()) return Refuse(*annotationFlags.begin() + " needs --frame");
  if (options.photos.empty()) return Refuse("no photos given");
  if (std::optional<std::string> problem = OptionsProblem(options.output)) return Refuse(*problem);
  return {options, ""};
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

std::string AbsolutePath(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

// The given photos that got no row (missing, or not named .jpg).
std::vector<std::string> PhotosNotAdded(const std::vector<std::string>& given, HeadlessSession& session) {
  std::set<std::string> listed;
  for (int row = 1; row <= session.toolkit().RowCount(ListId::Photos); ++row) {
    listed.insert(session.logic().Photos(row).FullPath());
  }
  std::vector<std::string> missing;
  for (const std::string& path : given) {
    if (!listed.contains(AbsolutePath(path))) missing.push_back(path);
  }
  return missing;
}

void PrintMessages(HeadlessSession& session) {
  for (const std::string& message : session.TakeMessages()) std::cerr << message << '\n';
}

// Runs the batch, printing each photo's line as it is done and, on a
// terminal, the progress strip's text. Returns the number of failed photos.
int RunBatch(HeadlessSession& session) {
  MainLogic& logic = session.logic();
  const int rows = session.toolkit().RowCount(ListId::Photos);
  std::vector<std::string> oldPaths;
  for (int row = 1; row <= rows; ++row) oldPaths.push_back(logic.Photos(row).FullPath());
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  int failed = 0;
  EditAllPhotos(logic, [&](int row, int count, const PhotoOutcome& outcome) {
    failed += outcome.ok ? 0 : 1;
    std::cout << oldPaths[static_cast<std::size_t>(row - 1)] << '\t' << logic.Photos(row).FullPath() << '\t'
              << logic.Coordinate(row) << '\t' << (outcome.ok ? "ok" : outcome.failure ? OutputErrorText(*outcome.failure) : outcome.error)
              << '\n';
    if (terminal) std::cerr << "\r批量编辑  " << row * 100 / count << "% (" << row << "/" << count << ")" << std::flush;
  });
  if (terminal && rows > 0) std::cerr << "\r\x1b[K" << std::flush;
  return failed;
}

int Run(const RunOptions& options) {
  HeadlessSession session;
  session.AddPhotos(options.photos);
  const std::vector<std::string> notAdded = PhotosNotAdded(options.photos, session);
  if (!options.track.empty() && !session.LoadTrack(options.track)) {
    PrintMessages(session);
    std::cerr << "geoframe-cli run: " << options.track << ": no such file or not readable; no photo was touched\n";
    return 1;
  }
  session.SetClockOffset(options.offset);
  session.CorrectClock();
  if (!options.track.empty()) {
    session.SetTolerance(options.tolerance);
    session.MatchPhotos();
  }
  SetOutputControls(session, options.output);
  const int failed = RunBatch(session);
  for (const std::string& path : notAdded) std::cout << path << "\t\t\t无法添加：文件不存在或不是 .jpg 照片\n";
  std::cout.flush();
  PrintMessages(session);
  return failed > 0 || !notAdded.empty() ? 1 : 0;
}

}  // namespace

int RunRun(const std::vector<std::string>& args) {
  Parsed parsed = ParseRunOptions(args);
  if (!parsed.options) {
    std::cerr << "geoframe-cli run: " << parsed.error << '\n' << kUsage;
    return 2;
  }
  if (parsed.options->help) {
    std::cout << kUsage;
    return 0;
  }
  // Drawing the annotation needs a QGuiApplication; without a display it runs offscreen.
  std::optional<QGuiApplication> gui;
  int argc = 1;
  char name[] = "geoframe-cli";
  char* argv[] = {name, nullptr};
  if (parsed.options->output.frame && QCoreApplication::instance() == nullptr) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    gui.emplace(argc, argv);
  }
  return Run(*parsed.options);
}

}  // namespace geoframe::cli
