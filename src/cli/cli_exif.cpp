#include <cstdint>
#include <cstdio>  // snprintf
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "app/exif_texts.h"
#include "exif/exif_reader.h"

namespace geoframe::cli {

namespace {


// Bytes outside printable ASCII are written as \xNN so that a record stays
// on one line whatever the file holds.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c <= 0x7E) {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  return out;
}

std::string ValueText(const ExifValue& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
  if (const auto* text = std::get_if<std::string>(&value)) return Printable(*text);
  return {};
}

void PrintRecords(const ExifReader& reader) {
  for (const TagRecord& r : reader.Records()) {
    std::cout << r.TagNumber << '\t' << r.DataType << '\t' << r.Count << '\t' << r.ValueOffset << '\t'
              << ValueText(r.Value) << '\n';
  }
}

// Prints the records read (also those read before a failure); false when
// the reader failed.
bool DumpFile(const std::string& path) {
  ExifReader reader;
  bool ok = true;
  try {
    reader.Load(path);
  } catch (const ExifError& error) {
    std::cerr << "geoframe-cli exif: " << ExifErrorText(path, error) << '\n';
    ok = false;
  }
  PrintRecords(reader);
  return ok;
}

bool PrintShootingTime(const std::string& path) {
  std::string time;
  bool ok = true;
  try {
    time = ReadShootingTime(path);
  } catch (const ExifError& error) {
    std::cerr << "geoframe-cli exif: " << ExifErrorText(path, error) << '\n';
    ok = false;
  }
  std::cout << Field(path) << '\t' << time << '\n';
  return ok;
}

}  // namespace

int RunExif(const std::vector<std::string>& args) {
  CommandLine line("exif",
                   QStringLiteral("Prints each photo's path, a TAB and its shooting time (YYYY-MM-DD HH:MM:SS),\n"
                                  "or with --dump every EXIF record: tag, type, count, offset, value."),
                   QStringLiteral("FILE..."), QStringLiteral("JPEG photos."));
  const QCommandLineOption dumpOption = line.Add({QStringLiteral("dump")}, QStringLiteral("Print every EXIF record."));
  if (std::optional<int> status = line.Parse(args)) return *status;
  const bool dump = line.IsSet(dumpOption);
  const std::vector<std::string> files = line.Positional();
  if (files.empty()) return line.UsageError("no files given");
  bool allRead = true;
  for (const std::string& file : files) {
    if (dump && files.size() > 1) std::cout << "== " << Field(file) << '\n';
    allRead = (dump ? DumpFile(file) : PrintShootingTime(file)) && allRead;
  }
  return allRead ? 0 : 1;
}

}  // namespace geoframe::cli
