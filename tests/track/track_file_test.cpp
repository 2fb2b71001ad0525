#include "track/track_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>  // mkfifo

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/file_error.h"
#include "heap_meter.h"
#include "test_support.h"
#include "timematch/date_time.h"

namespace geoframe {
namespace {

// The text in UTF-16 with its byte order mark, as editors on Windows save it.
std::string Utf16(std::u16string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

struct SniffCase {
  std::string head;
  bool gpx;
};

class LooksLikeGpxTest : public ::testing::TestWithParam<SniffCase> {};

TEST_P(LooksLikeGpxTest, ByTheRootElement) { EXPECT_EQ(LooksLikeGpx(GetParam().head), GetParam().gpx) << GetParam().head; }

INSTANTIATE_TEST_SUITE_P(
    Cases, LooksLikeGpxTest,
    ::testing::Values(SniffCase{"<gpx>", true}, SniffCase{"<gpx/>", true},
                      SniffCase{"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- a -- b -->\n\t<gpx\nversion=\"1.1\">", true},
                      SniffCase{"<?xml version=\"1.0\"?><?xml-stylesheet href=\"a\"?><gpx:gpx xmlns:gpx=\"u\">", true},
                      SniffCase{"<gpxx>", false}, SniffCase{"<kml>", false}, SniffCase{"<gpx", false},
                      SniffCase{"<!-- <gpx> ", false}, SniffCase{"<?xml <gpx>", false}, SniffCase{"x<gpx>", false},
                      SniffCase{"$GPRMC,083015,A,3015.1234,N,12030.5678,E,0,0,061210,,,A*74\r\n", false},
                      SniffCase{"", false},
                      // a document type, with or without internal subset, whatever it holds
                      SniffCase{"<?xml version=\"1.0\"?><!DOCTYPE gpx><gpx>", true},
                      SniffCase{"<!DOCTYPE gpx PUBLIC \"-//x\" 'http://example.invalid/a>b.dtd'>\n<gpx>", true},
                      SniffCase{"<!DOCTYPE gpx [<!ENTITY a \"]>\"><!-- ]> --><?pi ]>?>\n]>\n<gpx>", true},
                      SniffCase{"<!DOCTYPE gpx [<!ENTITY a \"x\">]><kml>", false},
                      SniffCase{"<!DOCTYPE gpx [<!ENTITY a \"x\">> <gpx>", false},
                      SniffCase{"<!DOCTYPE gpx [<!-- ]> <gpx>", false},
                      // UTF-16 in either byte order, whatever the declaration says
                      SniffCase{Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<!-- 西湖 -->\n<gpx>", true), true},
                      SniffCase{Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><!DOCTYPE gpx><gpx>", false), true},
                      SniffCase{Utf16(u"<gpx西>", true), false},
                      SniffCase{Utf16(u"$GPRMC,083015,A,3015.1234,N,12030.5678,E,0,0,061210,,,A*74", true), false}));

void WriteText(const std::filesystem::path& path, std::string_view text) {
  testing::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

constexpr std::string_view kRmc = "$GPRMC,083015,A,3015.1234,N,12030.5678,E,0,0,061210,,,A*74\r\n";
constexpr std::string_view kGpx =
    "<gpx><trk><trkseg><trkpt lat=\"-30.5\" lon=\"-120.5\"><time>2010-12-06T08:30:15Z</time></trkpt>"
    "</trkseg></trk></gpx>";

TEST(ReadTrackFile, KindComesFromTheContentNotTheName) {
  testing::TempDir dir;
  WriteText(dir.path() / "log.gpx", kRmc);
  WriteText(dir.path() / "track.txt", kGpx);
  TrackFileContents nmea = ReadTrackFile((dir.path() / "log.gpx").string());
  ASSERT_EQ(nmea.log.points.size(), 1u);
  EXPECT_EQ(nmea.log.points[0].Coordinate, "N30°15.1234',E120°30.5678'");
  TrackFileContents gpx = ReadTrackFile((dir.path() / "track.txt").string());
  ASSERT_EQ(gpx.log.points.size(), 1u);
  EXPECT_EQ(gpx.log.points[0].Coordinate, "S30°30.0000',W120°30.0000'");
  EXPECT_FALSE(gpx.damaged);
}

TEST(ReadTrackFile, Utf16GpxWithDocumentType) {
  // The name runs across the pieces the file is read and parsed in.
  const std::u16string document = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<!DOCTYPE gpx>\r\n<gpx><trk><name>西湖" +
                                  std::u16string(40000, u'x') +
                                  u"</name><trkseg><trkpt lat=\"-30.5\" lon=\"-120.5\"><time>2010-12-06T08:30:15Z</time>"
                                  u"</trkpt></trkseg></trk></gpx>\r\n";
  testing::TempDir dir;
  for (bool littleEndian : {true, false}) {
    WriteText(dir.path() / "track.gpx", Utf16(document, littleEndian));
    TrackFileContents gpx = ReadTrackFile((dir.path() / "track.gpx").string());
    ASSERT_EQ(gpx.log.points.size(), 1u) << littleEndian;
    EXPECT_EQ(gpx.log.points[0].PointTime, "2010-12-06 16:30:15");
    EXPECT_EQ(gpx.log.points[0].Coordinate, "S30°30.0000',W120°30.0000'");
    EXPECT_FALSE(gpx.damaged);
  }
}

struct RefusedCase {
  std::string name;
  FileErrorKind kind;
  int errnum = 0;
};

class ReadTrackFileRefusesTest : public ::testing::TestWithParam<RefusedCase> {};

// Nothing here may block: a FIFO without a writer is refused before it is opened.
TEST_P(ReadTrackFileRefusesTest, WhatIsNoRegularFile) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
  const std::string path = GetParam().name.starts_with("/") ? GetParam().name : (dir.path() / GetParam().name).string();
  try {
    ReadTrackFile(path);
    ADD_FAILURE() << path << " was read";
  } catch (const FileError& error) {
    EXPECT_EQ(error.kind(), GetParam().kind);
    EXPECT_EQ(error.errnum(), GetParam().errnum);
    EXPECT_EQ(error.path(), path);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadTrackFileRefusesTest,
                         ::testing::Values(RefusedCase{"missing", FileErrorKind::System, ENOENT},
                                           RefusedCase{"folder", FileErrorKind::Folder},
                                           RefusedCase{"fifo", FileErrorKind::Special},
                                           RefusedCase{"/dev/null", FileErrorKind::Special}));

// The real logs with their expected counts and first and last UTC times.
struct ExpectedLog {
  std::string file;
  std::size_t count = 0;
  std::string firstDate, firstTime, lastDate, lastTime;
};

std::vector<ExpectedLog> ReadExpectedTable(const std::filesystem::path& path) {
  std::vector<ExpectedLog> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::stringstream cellStream(line);
    for (std::string cell; std::getline(cellStream, cell, '\t');) cells.push_back(cell);
    cells.resize(7);
    rows.push_back({cells[0], std::stoul(cells[2]), cells[3], cells[4], cells[5], cells[6]});
  }
  return rows;
}

std::string LocalTime(const std::string& date, const std::string& time) {
  std::string utc = "20" + date.substr(4, 2) + "-" + date.substr(2, 2) + "-" + date.substr(0, 2) + " " +
                    time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2);
  return ShiftDateTime(utc, "08:00:00", false).value_or("invalid " + utc);
}

TEST(ReadTrackFile, RealLogsGiveExpectedPoints) {
  std::filesystem::path folder = testing::TestDataDir() / "nmea";
  std::vector<ExpectedLog> expected = ReadExpectedTable(folder / "EXPECTED.tsv");
  ASSERT_FALSE(expected.empty());
  for (const ExpectedLog& e : expected) {
    SCOPED_TRACE(e.file);
    TrackLog log = ReadTrackFile((folder / e.file).string()).log;
    ASSERT_EQ(log.points.size(), std::min<std::size_t>(e.count, kMaxTrackPoints));
    EXPECT_EQ(log.truncated, e.count > kMaxTrackPoints);
    if (e.count == 0) continue;
    EXPECT_EQ(log.points.front().PointTime, LocalTime(e.firstDate, e.firstTime));
    EXPECT_EQ(log.points.back().PointTime, LocalTime(e.lastDate, e.lastTime));
    EXPECT_EQ(log.points.front().ElapsedSeconds, 0);
  }
}

// The two halves of a coordinate text: hemisphere and degrees ("N43°"), and
// the minutes' text ("33.190206").
std::vector<std::pair<std::string, std::string>> Angles(const std::string& coordinate) {
  std::vector<std::pair<std::string, std::string>> angles;
  for (std::size_t start = 0; start < coordinate.size();) {
    const std::size_t minutes = coordinate.find("°", start) + 2;
    const std::size_t mark = coordinate.find('\'', minutes);
    angles.emplace_back(coordinate.substr(start, minutes - start), coordinate.substr(minutes, mark - minutes));
    start = mark + 2;
  }
  return angles;
}

// GPX keeps the log's minutes to four decimals, rounded; gpsbabel's nine decimals
// of a degree may tip a minute ending in exactly 5 at the fifth decimal either way.
void ExpectSameAngles(const std::string& gpx, const std::string& nmea) {
  const auto gpxAngles = Angles(gpx), nmeaAngles = Angles(nmea);
  ASSERT_EQ(gpxAngles.size(), 2u) << gpx;
  ASSERT_EQ(nmeaAngles.size(), 2u) << nmea;
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(gpxAngles[i].first, nmeaAngles[i].first);
    EXPECT_EQ(gpxAngles[i].second.size(), 7u) << gpx;
    EXPECT_NEAR(std::stod(gpxAngles[i].second), std::stod(nmeaAngles[i].second), 0.0000501) << gpx << " " << nmea;
  }
}

TEST(ReadTrackFile, GpxConvertedFromRealLogsGivesTheLogsPoints) {
  for (std::string name : {"com-1289", "telit-pls83-w", "quectel"}) {
    SCOPED_TRACE(name);
    TrackFileContents gpx = ReadTrackFile(std::string(GEOFRAME_TRACK_DATA_DIR) + "/" + name + ".gpx");
    TrackLog nmea = ReadTrackFile((testing::TestDataDir() / "nmea" / (name + ".log")).string()).log;
    EXPECT_FALSE(gpx.damaged);
    ASSERT_EQ(gpx.log.points.size(), nmea.points.size());
    ASSERT_FALSE(nmea.points.empty());
    for (std::size_t i = 0; i < nmea.points.size(); ++i) {
      EXPECT_EQ(gpx.log.points[i].PointTime, nmea.points[i].PointTime) << i;
      EXPECT_EQ(gpx.log.points[i].ElapsedSeconds, nmea.points[i].ElapsedSeconds) << i;
      ExpectSameAngles(gpx.log.points[i].Coordinate, nmea.points[i].Coordinate);
    }
  }
}

// A large file of either kind: 16 MB of what is no track point (waypoints,
// fix sentences without a time) ahead of two points more than a track holds.
struct LargeFileCase {
  std::string name;
  std::string head, filler, trackStart, tail;
  std::string (*point)(int second);
};

std::string GpxPoint(int second) {
  char text[128];
  std::snprintf(text, sizeof text, "<trkpt lat=\"30.5\" lon=\"120.5\"><time>2010-12-06T08:%02d:%02dZ</time></trkpt>\n",
                second / 60, second % 60);
  return text;
}

std::string NmeaPoint(int second) {
  char text[128];
  std::snprintf(text, sizeof text, "$GPRMC,08%02d%02d,A,3030.0000,N,12030.0000,E,0,0,061210,,,A*00\r\n", second / 60,
                second % 60);
  return text;
}

// Reading streams through the file: the memory it holds at once stays far
// below the file's size, and the track stops at its capacity.
TEST(ReadTrackFile, LargeFileIsReadInSmallPieces) {
  const LargeFileCase cases[] = {
      {"gpx", "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\">\n",
       "<wpt lat=\"30.5\" lon=\"120.5\"><name>w</name></wpt>\n", "<trk><trkseg>\n", "</trkseg></trk></gpx>\n",
       GpxPoint},
      {"nmea", "", "$GPGGA,,,,,,0,00,99.99,,,,,,*48\r\n", "", "", NmeaPoint},
  };
  for (const LargeFileCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    const std::filesystem::path path = dir.path() / "large";
    {
      std::ofstream out(path, std::ios::binary);
      std::string filler;
      while (filler.size() < (1 << 20)) filler += c.filler;
      out << c.head;
      for (int i = 0; i < 16; ++i) out << filler;
      out << c.trackStart;
      for (int i = 0; i < kMaxTrackPoints + 2; ++i) out << c.point(i);
      out << c.tail;
    }
    const testing::HeapMeter heap;
    TrackFileContents contents = ReadTrackFile(path.string());
    EXPECT_LT(heap.PeakBytes(), 1u << 20);
    EXPECT_FALSE(contents.damaged);
    EXPECT_TRUE(contents.log.truncated);
    ASSERT_EQ(contents.log.points.size(), static_cast<std::size_t>(kMaxTrackPoints));
    EXPECT_EQ(contents.log.points.front().PointTime, "2010-12-06 16:00:00");
    EXPECT_EQ(contents.log.points.back().ElapsedSeconds, kMaxTrackPoints - 1);
  }
}

}  // namespace
}  // namespace geoframe
