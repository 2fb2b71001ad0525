// geoframe-cli exif: output lines, record dumps and exit status.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>  // mkfifo

#include "cli/cli_commands.h"
#include "test_support.h"
#include "tiff_builder.h"

namespace geoframe::cli {
namespace {

using testing::Tiff;

struct Output {
  int status;
  std::string out, err;
};

Output RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  auto* oldOut = std::cout.rdbuf(out.rdbuf());
  auto* oldErr = std::cerr.rdbuf(err.rdbuf());
  const int status = RunExif(args);
  std::cout.rdbuf(oldOut);
  std::cerr.rdbuf(oldErr);
  return {status, out.str(), err.str()};
}

// IFD0 (big-endian) with an inline UNDEFINED value holding a zero and a high
// byte, then the Exif IFD with the shooting time.
std::vector<std::uint8_t> PhotoWithTime() {
  Tiff t(false);
  t.Header().U16(2).EntryRaw(0x9000, 7, 4, {'0', 0x00, 0xE9, '\\'}).Entry(0x8769, 4, 1, 38).U32(0);
  t.U16(1).Entry(0x9003, 2, 20, 56).U32(0).Text("2012:05:01 13:45:30").Raw({0});
  return testing::JpegWithExif(t);
}

class CliExif : public ::testing::Test {
 protected:
  testing::TempDir dir;
  std::string photo = testing::WriteFile(dir.path(), "photo.jpg", PhotoWithTime());
  std::string plain = testing::WriteFile(dir.path(), "plain.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xD9});
  std::string missing = (dir.path() / "missing.jpg").string();
  std::string empty = testing::WriteFile(dir.path(), "empty.jpg", {});
};

TEST_F(CliExif, PrintsPathTabTimeAndFailsOnlyForUnreadableFiles) {
  const std::string fifo = (dir.path() / "fifo.jpg").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // must be refused, not waited on
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;  // the reason told, or nothing
  } cases[] = {
      {{photo}, 0, photo + "\t2012-05-01 13:45:30\n", ""},
      {{plain}, 0, plain + "\t\n", ""},
      {{missing}, 1, missing + "\t\n", missing + ": 文件或文件夹不存在"},
      {{empty}, 1, empty + "\t\n", empty + ": 文件是空的"},
      {{fifo}, 1, fifo + "\t\n", fifo + ": 这是设备或管道，不是普通文件"},
      {{photo, missing, plain}, 1, photo + "\t2012-05-01 13:45:30\n" + missing + "\t\n" + plain + "\t\n", missing},
  };
  for (const Case& c : cases) {
    const Output o = RunCli(c.args);
    EXPECT_EQ(o.status, c.status) << c.out;
    EXPECT_EQ(o.out, c.out);
    if (c.err.empty()) EXPECT_EQ(o.err, "");
    else EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
  }
}

TEST_F(CliExif, DumpPrintsEveryRecordWithEscapedBytes) {
  const Output o = RunCli({"--dump", photo});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out,
            "36864\t7\t4\t0\t0\\x00\\xE9\\\n"
            "34665\t4\t1\t0\t38\n"
            "36867\t2\t20\t56\t2012:05:01 13:45:30\n");
}

TEST_F(CliExif, BadUsageExitsWithTwo) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"--dump"}, {"--verbose", photo}}) {
    const Output o = RunCli(args);
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.empty());
    EXPECT_NE(o.err.find("Usage: geoframe-cli exif"), std::string::npos) << o.err;
  }
}

}  // namespace
}  // namespace geoframe::cli
