// The GPX reader: Qt's streaming XML reader, fed piece by piece.
#include "track/gpx_reader.h"

#include <QByteArray>
#include <QLatin1String>
#include <QStringView>
#include <QXmlStreamReader>

#include <algorithm>  // std::min
#include <optional>
#include <string>
#include <utility>  // std::move

#include "track/gpx_point.h"
#include "track/xml_bytes.h"

namespace geoframe {

namespace {

constexpr int kMaxDepth = 256;  // GPX files nest about seven elements deep
// Bytes fed without a token coming out: a tag or text this long is no GPX
// data, and the XML reader would hold it whole.
constexpr std::size_t kMaxTokenBytes = 1 << 20;
constexpr std::size_t kPieceBytes = 16 * 1024;
constexpr std::size_t kMaxTimeLength = 64;  // "2010-12-06T08:30:15.250+08:00" with room for blanks

// Numbers and times are ASCII: any other character becomes one that no number
// or time holds, so that the value is refused.
void AppendAscii(std::string& out, QStringView text) {
  for (const QChar c : text) out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f';
}

}  // namespace

struct GpxTrackReader::State {
  QXmlStreamReader xml;
  std::size_t maxPoints = 0;
  GpxTrack track;
  bool done = false;
  std::size_t bytesWithoutToken = 0;
  int depth = 0;        // elements open
  int pointDepth = 0;   // depth of the open trkpt, 0 outside one
  bool inTime = false;  // inside the trkpt's own time element
  bool hasTime = false;
  std::string lat, lon, time;
  std::string pending;     // the start of the next piece
  bool firstPiece = true;
  bool checkUtf8 = false;  // whether bytes are checked before the XML reader sees them
  Utf8Check utf8;

  void Damage() {
    track.damaged = true;
    done = true;
  }
  void ReadPiece(std::string_view piece);
  void ReadTokens();
  void Take(QXmlStreamReader::TokenType token);
  void Open();
  void Close();
  void EndPoint();
};

void GpxTrackReader::State::ReadPiece(std::string_view piece) {
  if (firstPiece) {
    checkUtf8 = DeclaresUtf8(piece);
    firstPiece = false;
  }
  // Qt's reader decodes all the bytes it is given before it reads them, and an
  // encoding error there costs every token of the piece. Bytes that are no
  // UTF-8 (a damaged memory card) are held back instead, so that the points
  // before them are read.
  const std::size_t valid = checkUtf8 ? utf8.ValidPrefix(piece) : piece.size();
  xml.addData(QByteArray(piece.data(), static_cast<qsizetype>(valid)));
  bytesWithoutToken += valid;
  ReadTokens();
  if (valid < piece.size()) Damage();
}

void GpxTrackReader::State::ReadTokens() {
  while (!done) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::Invalid) {
      // Premature end: the next piece is needed, unless a single token has
      // grown past what any GPX file holds.
      if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || bytesWithoutToken > kMaxTokenBytes) {
        Damage();
      }
      return;
    }
    bytesWithoutToken = 0;
    Take(token);
  }
}

void GpxTrackReader::State::Take(QXmlStreamReader::TokenType token) {
  switch (token) {
    case QXmlStreamReader::StartElement: Open(); break;
    case QXmlStreamReader::EndElement: Close(); break;
    case QXmlStreamReader::Characters:
      if (inTime && time.size() <= kMaxTimeLength) AppendAscii(time, xml.text());
      break;
    case QXmlStreamReader::EndDocument: done = true; break;
    // declarations, the document type, comments, processing instructions, unresolved entities
    default: break;
  }
}

void GpxTrackReader::State::Open() {
  if (++depth > kMaxDepth) {
    Damage();
    return;
  }
  if (pointDepth == 0 && xml.name() == u"trkpt") {
    pointDepth = depth;
    const QXmlStreamAttributes attributes = xml.attributes();
    lat.clear();
    lon.clear();
    time.clear();
    AppendAscii(lat, attributes.value(QLatin1String("lat")));
    AppendAscii(lon, attributes.value(QLatin1String("lon")));
    hasTime = false;
  } else if (pointDepth != 0 && depth == pointDepth + 1 && !hasTime && xml.name() == u"time") {
    inTime = true;
  }
}

void GpxTrackReader::State::Close() {
  if (inTime && depth == pointDepth + 1) {
    inTime = false;
    hasTime = true;
  } else if (depth == pointDepth) {
    EndPoint();
  }
  // The root element closed: what may follow it holds no points.
  if (--depth == 0) done = true;
}

void GpxTrackReader::State::EndPoint() {
  pointDepth = 0;
  if (!hasTime) return;
  std::optional<TrackPoint> point = GpxTrackPoint(lat, lon, time);
  if (point && !AddTrackPoint(track.log, std::move(*point), maxPoints)) done = true;
}

GpxTrackReader::GpxTrackReader(std::size_t maxPoints) : state_(std::make_unique<State>()) {
  state_->maxPoints = maxPoints;
  // A document type may declare entities that would expand far beyond the
  // file ("billion laughs"): none is expanded, a reference to one is damage.
  // The XML reader fetches no external entity.
  state_->xml.setEntityExpansionLimit(0);
}

GpxTrackReader::~GpxTrackReader() = default;

bool GpxTrackReader::Feed(std::string_view bytes) {
  State& s = *state_;
  // The XML reader is given pieces of a fixed size at fixed places of the
  // document, whatever pieces arrive here, so that where it stops on damage
  // does not depend on how the file was read. Small pieces also parse faster
  // (16 KB a quarter faster than 64 KB).
  while (!bytes.empty() && !s.done) {
    if (s.pending.empty() && bytes.size() >= kPieceBytes) {
      s.ReadPiece(bytes.substr(0, kPieceBytes));
      bytes.remove_prefix(kPieceBytes);
      continue;
    }
    const std::size_t take = std::min(bytes.size(), kPieceBytes - s.pending.size());
    s.pending.append(bytes.substr(0, take));
    bytes.remove_prefix(take);
    if (s.pending.size() == kPieceBytes) {
      s.ReadPiece(s.pending);
      s.pending.clear();
    }
  }
  return !s.done;
}

GpxTrack GpxTrackReader::Finish() {
  State& s = *state_;
  if (!s.done && !s.pending.empty()) s.ReadPiece(s.pending);
  // No more bytes: a token still waiting for its end never gets one.
  if (!s.done) s.Damage();
  return std::move(s.track);
}

}  // namespace geoframe
