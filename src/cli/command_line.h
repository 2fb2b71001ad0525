#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "timematch/clock_correction.h"
#include "timematch/matching.h"

namespace geoframe::cli {

// One subcommand's command line, parsed by Qt's parser with the conventions
// every subcommand shares: -h/--help prints the usage on stdout (status 0),
// -v/--version the version; an unknown option or a missing value prints a
// short error and the usage on stderr (status 2).
class CommandLine {
 public:
  // command: e.g. "run"; arguments: the positional syntax, e.g. "PHOTO...".
  CommandLine(std::string command, const QString& description, const QString& arguments,
              const QString& argumentsHelp);

  // Adds an option: {"track"} and "FILE" for an option with a value, no value
  // name for a flag.
  QCommandLineOption Add(const QStringList& names, const QString& help, const QString& valueName = {});

  // Parses the arguments after the subcommand's name. Nothing when the
  // subcommand goes on; otherwise the exit status, the help, version or error
  // already printed.
  std::optional<int> Parse(const std::vector<std::string>& args);

  bool IsSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
  // The arguments as the bytes given: a path need not be UTF-8.
  std::string Value(const QCommandLineOption& option) const;
  std::vector<std::string> Positional() const;

  // A usage error found after parsing (a bad value, a missing argument): the
  // error and the usage on stderr; returns 2.
  int UsageError(const std::string& error) const;

 private:
  std::string HelpText() const;

  std::string command_;
  QString arguments_;
  QCommandLineParser parser_;
  QCommandLineOption help_;
  QCommandLineOption version_;
};

// What match and run share: the track, the camera clock correction and the
// matching tolerance and method.
struct TrackAndTime {
  std::string track;  // empty: no track
  ClockOffset offset;
  int tolerance = kDefaultTolerance;
  bool interpolate = false;  // between the two points around a photo, not the nearest
};

// The --track, --offset, --tolerance and --interpolate options of a command line.
class TrackAndTimeOptions {
 public:
  explicit TrackAndTimeOptions(CommandLine& line);
  // The values given, or the exit status of a usage error (already told).
  std::variant<TrackAndTime, int> Read(const CommandLine& line) const;

 private:
  QCommandLineOption track_, offset_, tolerance_, interpolate_;
};

// The usage of the whole program, its subcommands listed.
extern const char* const kProgramUsage;

// A path as one field of a TAB-separated line: TAB, CR, newline and backslash
// written as \t, \r, \n and \\, so that every photo stays one line.
std::string Field(std::string_view path);

}  // namespace geoframe::cli
