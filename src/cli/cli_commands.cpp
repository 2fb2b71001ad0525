#include "cli/cli_commands.h"

#include <QCommandLineParser>

#include <exception>
#include <iostream>

#include "app/argument_text.h"
#include "app/output_texts.h"
#include "cli/command_line.h"
#include "geoframe_version.h"

namespace geoframe::cli {

namespace {

int ProgramUsageError(const std::string& error) {
  std::cerr << "geoframe-cli: " << error << "\n\n" << kProgramUsage;
  return 2;
}

int RunCommand(const std::string& command, const std::vector<std::string>& args) {
  if (command == "exif") return RunExif(args);
  if (command == "track") return RunTrack(args);
  if (command == "match") return RunMatch(args);
  if (command == "run") return RunRun(args);
  return ProgramUsageError("unknown command " + command);
}

}  // namespace

int RunGeoframeCli(const std::vector<std::string>& args) {
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")}, QString());
  parser.addOption(help);
  parser.addOption(version);
  // Everything from the command's name on belongs to the command.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  QStringList list{QStringLiteral("geoframe-cli")};
  for (const std::string& arg : args) list.append(ArgumentText(arg));
  if (!parser.parse(list)) return ProgramUsageError(parser.errorText().toStdString());
  if (parser.isSet(help)) {
    std::cout << kProgramUsage;
    return 0;
  }
  if (parser.isSet(version)) {
    std::cout << "geoframe-cli " << GEOFRAME_VERSION << '\n';
    return 0;
  }
  const QStringList rest = parser.positionalArguments();
  if (rest.isEmpty()) return ProgramUsageError("no command given");
  std::vector<std::string> commandArgs;
  for (qsizetype i = 1; i < rest.size(); ++i) commandArgs.push_back(ArgumentBytes(rest[i]));
  const std::string command = ArgumentBytes(rest.front());
  try {
    return RunCommand(command, commandArgs);
  } catch (const std::exception&) {
    // Out of memory, or a failure no command expected: said plainly, not an abort.
    std::cerr << "geoframe-cli " << command << ": " << UnexpectedFailureText(std::current_exception()) << '\n';
    return 1;
  }
}

}  // namespace geoframe::cli
