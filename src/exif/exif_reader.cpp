#include "exif/exif_reader.h"

// Not built yet: every operation fails.
namespace geoframe {
struct ExifReader::State {
  std::vector<TagRecord> records;
};
ExifReader::ExifReader() : state_(std::make_unique<State>()) {}
ExifReader::~ExifReader() = default;
void ExifReader::picFile(const std::string&) {}
void ExifReader::Load(const std::string&) { throw ExifError(ExifErrorKind::Io, "not built"); }
ExifValue ExifReader::Tag(std::int32_t) { throw ExifError(ExifErrorKind::Io, "not built"); }
ExifValue ExifReader::MakerNoteTag(std::int32_t) const { return {}; }
const std::vector<TagRecord>& ExifReader::Records() const { return state_->records; }
bool ExifReader::HasExif() const { return false; }
std::string ExifReader::PadLeft(const std::string& text, std::size_t, const std::string&) { return text; }
std::string ExifTimeToDateTimeText(const std::string& t) { return t; }
std::string ReadShootingTime(const std::string&) { throw ExifError(ExifErrorKind::Io, "not built"); }
int ReadOrientation(const std::string&) noexcept { return 1; }
}  // namespace geoframe
