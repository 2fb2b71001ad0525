#include "output/gps_ifd.h"

#include <algorithm>  // std::lower_bound
#include <chrono>
#include <limits>
#include <numeric>  // std::gcd
#include <string>

#include "output/output_error.h"

namespace geoframe {
namespace {

namespace chr = std::chrono;

constexpr std::uint16_t kGpsPointerTag = 0x8825;
constexpr std::uint16_t kByte = 1, kAscii = 2, kLong = 4, kRational = 5;
constexpr std::size_t kEntryBytes = 12;
constexpr std::uint8_t kEmptyTiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // IFD0 without entries
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

using Entry = std::array<std::uint8_t, kEntryBytes>;

// Writes numbers into a TIFF block in its byte order.
class TiffBytes {
 public:
  TiffBytes(std::vector<std::uint8_t>& bytes, bool little) : bytes_(bytes), little_(little) {}

  void Append(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (little_ ? i : width - 1 - i);
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  void Set32(std::size_t at, std::uint32_t value) {
    std::vector<std::uint8_t> word;
    TiffBytes(word, little_).Append(value, 4);
    std::copy(word.begin(), word.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at));
  }
 private:
  std::vector<std::uint8_t>& bytes_;
  bool little_;
};

// A number of `width` bytes at `at`, which the caller has checked lie in the block.
std::uint32_t ReadNumber(std::span<const std::uint8_t> bytes, std::size_t at, int width, bool little) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) {
    const std::size_t index = at + static_cast<std::size_t>(little ? width - 1 - i : i);
    value = value << 8 | bytes[index];
  }
  return value;
}

[[noreturn]] void ThrowDamaged() { throw OutputError(OutputErrorKind::ExifDamaged, ""); }

// One GPS entry: its value inline when it takes at most four bytes, else in
// the data area after the IFD.
struct GpsField {
  std::uint16_t tag;
  std::uint16_t type;
  std::uint32_t count;
  std::vector<std::uint8_t> value;  // already in the block's byte order
};

std::vector<std::uint8_t> AsciiValue(const std::string& text) { return {text.begin(), text.end() + 1}; }

std::vector<std::uint8_t> RationalsValue(const std::array<Rational, 3>& values, bool little) {
  std::vector<std::uint8_t> bytes;
  TiffBytes out(bytes, little);
  for (const Rational& r : values) {
    out.Append(r.numerator, 4);
    out.Append(r.denominator, 4);
  }
  return bytes;
}

std::string TwoDigits(unsigned value) { return std::string(1, char('0' + value / 10)) + char('0' + value % 10); }

std::vector<GpsField> GpsFields(const GeoPosition& position, bool little) {
  const chr::sys_days day = chr::floor<chr::days>(position.utc);
  const chr::year_month_day date{day};
  const chr::hh_mm_ss clock{position.utc - day};
  const std::string dateStamp = std::to_string(static_cast<int>(date.year())) + ":" +
                                TwoDigits(static_cast<unsigned>(date.month())) + ":" +
                                TwoDigits(static_cast<unsigned>(date.day()));
  const auto whole = [](auto count) { return Rational{static_cast<std::uint32_t>(count), 1}; };
  const std::array<Rational, 3> timeStamp{whole(clock.hours().count()), whole(clock.minutes().count()),
                                          whole(clock.seconds().count())};
  return {
      {0x0000, kByte, 4, {2, 3, 0, 0}},  // GPSVersionID 2.3.0.0
      {0x0001, kAscii, 2, AsciiValue(std::string(1, position.latitudeRef))},
      {0x0002, kRational, 3, RationalsValue(DegreesMinutesSeconds(position.latitude), little)},
      {0x0003, kAscii, 2, AsciiValue(std::string(1, position.longitudeRef))},
      {0x0004, kRational, 3, RationalsValue(DegreesMinutesSeconds(position.longitude), little)},
      {0x0007, kRational, 3, RationalsValue(timeStamp, little)},
      {0x0012, kAscii, 7, AsciiValue("WGS-84")},
      {0x001D, kAscii, 11, AsciiValue(dateStamp)},
  };
}

void AppendGpsIfd(std::vector<std::uint8_t>& bytes, bool little, const GeoPosition& position) {
  const std::vector<GpsField> fields = GpsFields(position, little);
  TiffBytes out(bytes, little);
  std::size_t data = bytes.size() + 2 + fields.size() * kEntryBytes + 4;
  std::vector<std::uint8_t> area;
  out.Append(static_cast<std::uint32_t>(fields.size()), 2);
  for (const GpsField& field : fields) {
    out.Append(field.tag, 2);
    out.Append(field.type, 2);
    out.Append(field.count, 4);
    if (field.value.size() <= 4) {
      bytes.insert(bytes.end(), field.value.begin(), field.value.end());
      bytes.resize(bytes.size() + 4 - field.value.size());
      continue;
    }
    out.Append(static_cast<std::uint32_t>(data + area.size()), 4);
    area.insert(area.end(), field.value.begin(), field.value.end());
    if (area.size() % 2 != 0) area.push_back(0);  // values start on word boundaries
  }
  out.Append(0, 4);  // no next IFD
  bytes.insert(bytes.end(), area.begin(), area.end());
}

// IFD0's entries but any GPS pointer, read from the block; throws when the
// header or the directory lies outside it.
std::vector<Entry> Ifd0Entries(std::span<const std::uint8_t> bytes, bool little, std::size_t& nextPointer) {
  if (bytes.size() < 8 || ReadNumber(bytes, 2, 2, little) != 42) ThrowDamaged();
  const std::size_t ifd0 = ReadNumber(bytes, 4, 4, little);
  if (ifd0 < 8 || ifd0 + 2 > bytes.size()) ThrowDamaged();
  const std::size_t count = ReadNumber(bytes, ifd0, 2, little);
  nextPointer = ifd0 + 2 + count * kEntryBytes;
  if (nextPointer + 4 > bytes.size()) ThrowDamaged();
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = ifd0 + 2 + i * kEntryBytes;
    if (ReadNumber(bytes, at, 2, little) == kGpsPointerTag) continue;
    Entry entry;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kEntryBytes, entry.begin());
    entries.push_back(entry);
  }
  return entries;
}

// The old IFD0 becomes an empty directory with no next one: a damaged file
// may point at it from elsewhere (an Interop pointer, say), and it should not
// find a second IFD0 there.
void EmptyDirectory(std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), 6, std::uint8_t{0});
}

}  // namespace

std::array<Rational, 3> DegreesMinutesSeconds(const Angle& angle) {
  std::uint64_t unit = 1;
  for (int i = 0; i < angle.scale; ++i) unit *= 10;
  std::uint64_t numerator = angle.minuteUnits % unit * 60;
  std::uint64_t denominator = unit;
  while (numerator > kMax32 || denominator > kMax32) {
    numerator = (numerator + 5) / 10;
    denominator /= 10;
  }
  const std::uint64_t common = std::max<std::uint64_t>(std::gcd(numerator, denominator), 1);
  return {Rational{angle.degrees, 1}, Rational{static_cast<std::uint32_t>(angle.minuteUnits / unit), 1},
          Rational{static_cast<std::uint32_t>(numerator / common), static_cast<std::uint32_t>(denominator / common)}};
}

std::vector<std::uint8_t> TiffWithGps(std::span<const std::uint8_t> tiff, const GeoPosition& position) {
  if (tiff.empty()) tiff = kEmptyTiff;
  if (tiff.size() < 2 || (tiff[0] != tiff[1]) || (tiff[0] != 'I' && tiff[0] != 'M')) ThrowDamaged();
  const bool little = tiff[0] == 'I';
  std::vector<std::uint8_t> bytes(tiff.begin(), tiff.end());
  std::size_t nextPointer = 0;
  std::vector<Entry> entries = Ifd0Entries(bytes, little, nextPointer);
  const std::uint32_t next = ReadNumber(bytes, nextPointer, 4, little);
  EmptyDirectory(bytes, ReadNumber(bytes, 4, 4, little));
  if (bytes.size() % 2 != 0) bytes.push_back(0);
  const std::size_t ifd0 = bytes.size();
  const std::size_t gpsIfd = ifd0 + 2 + (entries.size() + 1) * kEntryBytes + 4;
  if (gpsIfd > kMax32) ThrowDamaged();
  Entry pointer{};
  std::vector<std::uint8_t> pointerBytes;
  TiffBytes field(pointerBytes, little);
  field.Append(kGpsPointerTag, 2);
  field.Append(kLong, 2);
  field.Append(1, 4);
  field.Append(static_cast<std::uint32_t>(gpsIfd), 4);
  std::copy(pointerBytes.begin(), pointerBytes.end(), pointer.begin());
  // Entries stay in ascending tag order, as readers expect.
  const auto tagOf = [little](const Entry& e) { return little ? e[0] | e[1] << 8 : e[0] << 8 | e[1]; };
  const auto place = std::lower_bound(entries.begin(), entries.end(), pointer,
                                      [&](const Entry& a, const Entry& b) { return tagOf(a) < tagOf(b); });
  entries.insert(place, pointer);
  TiffBytes out(bytes, little);
  out.Append(static_cast<std::uint32_t>(entries.size()), 2);
  for (const Entry& entry : entries) bytes.insert(bytes.end(), entry.begin(), entry.end());
  out.Append(next, 4);
  AppendGpsIfd(bytes, little, position);
  out.Set32(4, static_cast<std::uint32_t>(ifd0));
  return bytes;
}

}  // namespace geoframe
