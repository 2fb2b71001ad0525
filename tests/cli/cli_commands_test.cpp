// geoframe-cli's conventions: help on stdout with status 0, the version, usage
// errors on stderr with status 2, and paths that stay on their line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/command_line.h"
#include "geoframe_version.h"

namespace geoframe::cli {
namespace {

struct Case {
  std::vector<std::string> args;
  int status;
  std::string out;  // what stdout starts with ("" when it stays empty)
  std::string err;  // what stderr holds ("" when it stays empty)
};

TEST(CliCommands, HelpVersionAndUsageErrors) {
  const std::string version = std::string("geoframe-cli ") + GEOFRAME_VERSION + "\n";
  const Case cases[] = {
      {{"--help"}, 0, "Usage: geoframe-cli [-h|--help]", ""},
      {{"-h"}, 0, "Usage: geoframe-cli [-h|--help]", ""},
      {{"--version"}, 0, version, ""},
      {{"-v"}, 0, version, ""},
      {{"exif", "--help"}, 0, "Usage: geoframe-cli exif [options] FILE...", ""},
      {{"track", "-h"}, 0, "Usage: geoframe-cli track [options] FILE", ""},
      {{"match", "--help"}, 0, "Usage: geoframe-cli match [options] PHOTO...", ""},
      {{"run", "--help"}, 0, "Usage: geoframe-cli run [options] PHOTO...", ""},
      {{"run", "--version"}, 0, version, ""},
      {{}, 2, "", "geoframe-cli: no command given"},
      {{"--bogus"}, 2, "", "geoframe-cli: Unknown option 'bogus'."},
      {{"frame", "a.jpg"}, 2, "", "geoframe-cli: unknown command frame"},
      {{"track"}, 2, "", "geoframe-cli track: give exactly one track file"},
      {{"exif", "--bogus", "a.jpg"}, 2, "", "geoframe-cli exif: Unknown option 'bogus'."},
      {{"match", "a.jpg"}, 2, "", "geoframe-cli match: --track is required"},
      {{"match", "--track"}, 2, "", "geoframe-cli match: Missing value after '--track'."},
      {{"run", "--offset", "+24:00:00", "a.jpg"}, 2, "", "geoframe-cli run: bad value for --offset: +24:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = RunGeoframeCli(c.args);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status);
    EXPECT_TRUE(c.out.empty() ? out.empty() : out.starts_with(c.out)) << out;
    if (c.err.empty()) {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_TRUE(err.starts_with(c.err)) << err;
      EXPECT_NE(err.find("Usage: geoframe-cli"), std::string::npos) << err;  // the usage follows the error
    }
  }
}

TEST(CliCommands, PathFieldsKeepEveryPhotoOnOneLine) {
  EXPECT_EQ(Field("/p/a.jpg"), "/p/a.jpg");
  EXPECT_EQ(Field("/p/a\tb\nc\rd\\e.jpg"), "/p/a\\tb\\nc\\rd\\\\e.jpg");
  EXPECT_EQ(Field("/照片/西湖.jpg"), "/照片/西湖.jpg");
}

}  // namespace
}  // namespace geoframe::cli
