#include "cli/command_line.h"

#include <iostream>

#include "app/argument_text.h"
#include "geoframe_version.h"

namespace geoframe::cli {

const char* const kProgramUsage =
    "Usage: geoframe-cli [-h|--help] [-v|--version] COMMAND [options] ...\n"
    "Brings GPS positions and shooting times onto JPEG photos, as the geoframe window does.\n"
    "\n"
    "Commands:\n"
    "  exif [--dump] FILE...      shooting times (or every EXIF record) of photos\n"
    "  track FILE                 the points of a track file (NMEA log or GPX)\n"
    "  match --track FILE [--offset +HH:MM:SS|-HH:MM:SS] [--tolerance N] [--interpolate] PHOTO...\n"
    "                             coordinates of photos by their corrected times\n"
    "  run [options] PHOTO...     back up, rename and frame photos, write GPS EXIF\n"
    "\n"
    "geoframe-cli COMMAND --help describes a command.\n"
    "Exit status: 0 success, 1 when some input failed, 2 on bad usage.\n";

CommandLine::CommandLine(std::string command, const QString& description, const QString& arguments,
                         const QString& argumentsHelp)
    : command_(std::move(command)),
      arguments_(arguments),
      help_(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Prints this help.")),
      version_(QStringList{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Prints the version.")) {
  parser_.setApplicationDescription(description);
  parser_.addOption(help_);
  parser_.addOption(version_);
  parser_.addPositionalArgument(arguments, argumentsHelp, arguments);
}

QCommandLineOption CommandLine::Add(const QStringList& names, const QString& help, const QString& valueName) {
  QCommandLineOption option(names, help, valueName);
  parser_.addOption(option);
  return option;
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args) {
  QStringList list{QString::fromStdString("geoframe-cli " + command_)};
  for (const std::string& arg : args) list.append(ArgumentText(arg));
  if (!parser_.parse(list)) return UsageError(parser_.errorText().toStdString());
  if (parser_.isSet(help_)) {
    std::cout << HelpText();
    return 0;
  }
  if (parser_.isSet(version_)) {
    std::cout << "geoframe-cli " << GEOFRAME_VERSION << '\n';
    return 0;
  }
  return std::nullopt;
}

std::vector<std::string> CommandLine::Positional() const {
  std::vector<std::string> values;
  for (const QString& value : parser_.positionalArguments()) values.push_back(ArgumentBytes(value));
  return values;
}

int CommandLine::UsageError(const std::string& error) const {
  std::cerr << "geoframe-cli " << command_ << ": " << error << "\n\n" << HelpText();
  return 2;
}

std::string CommandLine::Value(const QCommandLineOption& option) const { return ArgumentBytes(parser_.value(option)); }

std::string CommandLine::HelpText() const {
  // Qt's first line names the program as the application object (if any) was
  // started; the usage line names the command as the user types it.
  const std::string text = parser_.helpText().toStdString();
  const std::size_t lineEnd = text.find('\n');
  return "Usage: geoframe-cli " + command_ + " [options] " + arguments_.toStdString() +
         (lineEnd == std::string::npos ? "\n" : text.substr(lineEnd));
}

TrackAndTimeOptions::TrackAndTimeOptions(CommandLine& line)
    : track_(line.Add({QStringLiteral("track")}, QStringLiteral("The track file (NMEA log or GPX)."),
                      QStringLiteral("FILE"))),
      offset_(line.Add({QStringLiteral("offset")},
                       QStringLiteral("Camera clock correction, +HH:MM:SS or -HH:MM:SS (hours 0-23, minutes and "
                                      "seconds 0-59); default +00:00:00."),
                       QStringLiteral("OFFSET"))),
      tolerance_(line.Add({QStringLiteral("tolerance")},
                          QStringLiteral("Largest distance in seconds to a track point, 0-600; default 120."),
                          QStringLiteral("N"))),
      interpolate_(line.Add({QStringLiteral("interpolate")},
                            QStringLiteral("A photo between two track points that both lie within the tolerance "
                                           "gets the position between them in proportion to its time (four "
                                           "decimals of minutes), instead of the nearest point's."))) {}

std::variant<TrackAndTime, int> TrackAndTimeOptions::Read(const CommandLine& line) const {
  TrackAndTime values;
  values.track = line.Value(track_);
  values.interpolate = line.IsSet(interpolate_);
  if (line.IsSet(offset_)) {
    std::optional<ClockOffset> offset = ParseClockOffset(line.Value(offset_));
    if (!offset) return line.UsageError("bad value for --offset: " + line.Value(offset_));
    values.offset = *offset;
  }
  if (line.IsSet(tolerance_)) {
    std::optional<int> tolerance = ParseTolerance(line.Value(tolerance_));
    if (!tolerance) return line.UsageError("bad value for --tolerance: " + line.Value(tolerance_));
    values.tolerance = *tolerance;
  }
  return values;
}

std::string Field(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace geoframe::cli
