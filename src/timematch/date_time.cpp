#include "timematch/date_time.h"

// Not built yet.
namespace geoframe {
std::optional<std::int16_t> ReadWholeNumber16(std::string_view) { return std::nullopt; }
std::optional<std::int32_t> ReadWholeNumber32(std::string_view) { return std::nullopt; }
std::optional<DateTimeParts> SplitDateTime(std::string_view) { return std::nullopt; }
std::string JoinDateTime(const DateTimeParts&) { return {}; }
bool IsValidDateTime(std::string_view) { return false; }
std::optional<std::string> ShiftDateTime(std::string_view, std::string_view, bool) { return std::nullopt; }
std::optional<std::int32_t> SecondsBetween(std::string_view, std::string_view) { return std::nullopt; }
}  // namespace geoframe
