#include "track/gpx_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace geoframe {
namespace {

// The track of a document fed in pieces of `piece` bytes (0: all at once).
GpxTrack Read(std::string_view document, std::size_t maxPoints = kMaxTrackPoints, std::size_t piece = 0) {
  GpxTrackReader reader(maxPoints);
  if (piece == 0) piece = document.size() + 1;
  for (std::size_t at = 0; at < document.size(); at += piece) {
    if (!reader.Feed(document.substr(at, piece))) break;
  }
  return reader.Finish();
}

std::vector<std::string> Times(const GpxTrack& track) {
  std::vector<std::string> times;
  for (const TrackPoint& p : track.log.points) times.push_back(p.PointTime);
  return times;
}

std::string Point(std::string_view time, std::string_view more = "") {
  return "<trkpt lat=\"30.252056667\" lon=\"120.509463333\">" + std::string(more) + "<time>" + std::string(time) +
         "</time></trkpt>";
}

// A GPX 1.1 document in the form loggers write, with everything that is not a
// timed track point around the points.
const std::string kDocument =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- logger -->\n"
    "<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
    "<metadata><time>2001-01-01T00:00:00Z</time></metadata>"
    "<wpt lat=\"1\" lon=\"2\"><time>2010-12-06T07:00:00Z</time></wpt>"
    "<rte><rtept lat=\"1\" lon=\"2\"><time>2010-12-06T07:00:01Z</time></rtept></rte>"
    "<trk><name>a &amp; b</name><trkseg>" +
    Point("2010-12-06T08:30:15.250Z", "<ele>4.5</ele>") +
    "<trkpt lat=\"30.5\" lon=\"120.5\"><extensions><x:e xmlns:x=\"urn:x\"><time>2010-12-06T08:30:16Z</time>"
    "</x:e></extensions></trkpt>" +  // no time of its own
    "<trkpt lat=\"91\" lon=\"120.5\"><time>2010-12-06T08:30:17Z</time></trkpt>" +  // no such latitude
    Point("2010-12-06T16:30:20+08:00") + "</trkseg><trkseg>" + Point("2010-12-06T08:30:10Z") +
    "</trkseg></trk></gpx>\n";

// The same document with a document type, with or without internal subset:
// what it declares is not used, so nothing in it matters.
std::string WithDocumentType(std::string_view documentType) {
  std::string document = kDocument;
  return document.insert(document.find("<gpx "), documentType);
}

TEST(GpxTrackReader, TimedTrackPointsInDocumentOrderInPiecesOfAnySize) {
  for (const std::string& document :
       {kDocument, WithDocumentType("<!DOCTYPE gpx SYSTEM \"http://example.invalid/gpx.dtd\">\n"),
        WithDocumentType("<!DOCTYPE gpx [<!ENTITY unused \"x\"><!-- ]> -->]>\n")}) {
    for (std::size_t piece : {0, 1, 7, 64}) {
      SCOPED_TRACE(document.substr(60, 40) + " in pieces of " + std::to_string(piece));
      GpxTrack track = Read(document, kMaxTrackPoints, piece);
      EXPECT_FALSE(track.damaged);
      EXPECT_FALSE(track.log.truncated);
      EXPECT_EQ(Times(track), (std::vector<std::string>{"2010-12-06 16:30:15", "2010-12-06 16:30:20",
                                                        "2010-12-06 16:30:10"}));
      ASSERT_EQ(track.log.points.size(), 3u);
      EXPECT_EQ(track.log.points[0].Coordinate, "N30°15.1234',E120°30.5678'");
      EXPECT_EQ(track.log.points[1].ElapsedSeconds, 5);
      EXPECT_EQ(track.log.points[2].ElapsedSeconds, -5);
    }
  }
}

TEST(GpxTrackReader, StopsAtCapacityAndSaysWhetherMoreFollowed) {
  EXPECT_FALSE(Read(kDocument, 3).log.truncated);
  GpxTrack track = Read(kDocument, 2);
  EXPECT_EQ(track.log.points.size(), 2u);
  EXPECT_TRUE(track.log.truncated);
  EXPECT_FALSE(track.damaged);
}

struct DamageCase {
  std::string name;
  std::string document;
  std::size_t points;  // kept before the damage
};

class GpxDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(GpxDamageTest, KeepsPointsBeforeTheDamage) {
  GpxTrack track = Read(GetParam().document);
  EXPECT_TRUE(track.damaged);
  EXPECT_EQ(track.log.points.size(), GetParam().points);
}

const std::string kStart = "<?xml version=\"1.0\"?><gpx version=\"1.0\"><trk><trkseg>";
const std::string kTwo = Point("2010-12-06T08:30:15Z") + Point("2010-12-06T08:30:16Z");

std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<e>";
  return text;
}

std::string Closed(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "</e>";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpxDamageTest,
    ::testing::Values(DamageCase{"CutInsideAPoint", kStart + kTwo + "<trkpt lat=\"30.5\" lo", 2},
                      DamageCase{"CutBeforeItsEnd", kStart + kTwo + "</trkseg>", 2},
                      DamageCase{"CutInsideATime", kStart + Point("2010-12-06T08:30:15Z") + "<trkpt lat=\"1\" "
                                                   "lon=\"2\"><time>2010-12-06T08:30", 1},
                      DamageCase{"WrongEndTag", kStart + kTwo + "</trk></gpx>", 2},
                      DamageCase{"ByteNotAllowedInXml", kStart + kTwo + std::string("<name>\x01</name>", 14), 2},
                      // bytes that are no UTF-8 cost no point before them
                      DamageCase{"NoUtf8", kStart + kTwo + "<name>\xFF\xFE</name>" + kTwo, 2},
                      DamageCase{"NoUtf8InsideAPoint", kStart + kTwo + "<trkpt lat=\"3\xC0\x80\"/>" + kTwo, 2},
                      DamageCase{"UndeclaredEntity", kStart + "<name>&x;</name>" + kTwo, 0},
                      // well-formed, but deeper than any GPX file: the point after it is not read
                      DamageCase{"TooDeep", kStart + kTwo + Nested(300) + Closed(300) + kTwo, 2},
                      // entities that would grow without bound ("billion laughs") are never expanded
                      DamageCase{"EntityOfTheDocumentType",
                                 "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\">"
                                 "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><gpx><trk><trkseg>"
                                 "<trkpt lat=\"1\" lon=\"2\"><name>&b;</name><time>2010-12-06T08:30:15Z</time>"
                                 "</trkpt></trkseg></trk></gpx>",
                                 0}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(GpxTrackReader, GivesUpOnATagOverAMegabyteWithoutHoldingMore) {
  GpxTrackReader reader;
  ASSERT_TRUE(reader.Feed(kStart + kTwo + "<trkpt lat=\""));
  const std::string digits(64 * 1024, '1');
  int pieces = 0;
  while (pieces < 64 && reader.Feed(digits)) ++pieces;
  EXPECT_EQ(pieces, 16);  // the piece that passes a megabyte is refused
  GpxTrack track = reader.Finish();
  EXPECT_TRUE(track.damaged);
  EXPECT_EQ(track.log.points.size(), 2u);
}

TEST(GpxTrackReader, ReadsCharactersSplitBetweenThePiecesItParses) {
  // The reader parses 16 KB pieces: "西" is put across the first boundary.
  std::string document = kStart + "<name>";
  document.append(16 * 1024 - 1 - document.size(), 'x');
  document += "西湖</name>" + kTwo + "</trkseg></trk></gpx>";
  GpxTrack track = Read(document);
  EXPECT_FALSE(track.damaged);
  EXPECT_EQ(track.log.points.size(), 2u);
  // A document declared in another encoding is left to the XML reader.
  GpxTrack latin = Read("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><gpx><trk><name>\xE9</name><trkseg>" + kTwo +
                        "</trkseg></trk></gpx>");
  EXPECT_FALSE(latin.damaged);
  EXPECT_EQ(latin.log.points.size(), 2u);
}

TEST(GpxTrackReader, WhatFollowsTheRootIsNotRead) {
  GpxTrack track = Read(kStart + kTwo + "</trkseg></trk></gpx><!-- end -->garbage <<<");
  EXPECT_FALSE(track.damaged);
  EXPECT_EQ(track.log.points.size(), 2u);
}

}  // namespace
}  // namespace geoframe
