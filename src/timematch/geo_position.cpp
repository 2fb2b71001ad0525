#include "timematch/geo_position.h"

#include <cmath>  // std::llround

namespace geoframe {
namespace {

namespace chr = std::chrono;

constexpr std::uint64_t kMinuteUnitsPerDegree = 60'000'000;  // interpolated angles: six decimals of minutes
constexpr int kInterpolatedScale = 6;
constexpr int kTextScale = 4;

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::uint64_t DigitsValue(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  return value;
}

std::uint64_t PowerOfTen(int exponent) {
  std::uint64_t value = 1;
  while (exponent-- > 0) value *= 10;
  return value;
}

// Whole degrees of at most three digits (leading zeros aside).
std::optional<std::uint32_t> Degrees(std::string_view digits) {
  while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
  if (digits.size() > 3 || !AllDigits(digits)) return std::nullopt;
  return static_cast<std::uint32_t>(DigitsValue(digits));
}

// The angle only when it lies within 0..maxDegrees.
std::optional<Angle> Within(const Angle& angle, std::uint32_t maxDegrees) {
  if (angle.degrees > maxDegrees || (angle.degrees == maxDegrees && angle.minuteUnits != 0)) return std::nullopt;
  return angle;
}

Angle AngleOf(double degrees) {
  const auto units = static_cast<std::uint64_t>(std::llround(std::fabs(degrees) * kMinuteUnitsPerDegree));
  return {static_cast<std::uint32_t>(units / kMinuteUnitsPerDegree), units % kMinuteUnitsPerDegree,
          kInterpolatedScale};
}

void AppendPadded(std::string& text, std::uint64_t value, int width) {
  std::string digits = std::to_string(value);
  if (digits.size() < static_cast<std::size_t>(width)) text.append(static_cast<std::size_t>(width) - digits.size(), '0');
  text += digits;
}

// R + degrees + ° + minutes with four decimals, rounded half up; 59.99995
// minutes and more carry into the degrees.
std::string AngleText(char ref, const Angle& angle, int degreeDigits) {
  std::uint64_t units = angle.minuteUnits;
  if (angle.scale > kTextScale) {
    const std::uint64_t step = PowerOfTen(angle.scale - kTextScale);
    units = (units + step / 2) / step;
  } else {
    units *= PowerOfTen(kTextScale - angle.scale);
  }
  std::uint64_t degrees = angle.degrees;
  const std::uint64_t perDegree = 60 * PowerOfTen(kTextScale);
  degrees += units / perDegree;
  units %= perDegree;
  std::string text(1, ref);
  AppendPadded(text, degrees, degreeDigits);
  AppendPadded(text.append("\xC2\xB0"), units / PowerOfTen(kTextScale), 2);  // the degree sign in UTF-8
  AppendPadded(text.append("."), units % PowerOfTen(kTextScale), kTextScale);
  return text.append("'");
}

}  // namespace

std::optional<Angle> AngleFromNmea(std::string_view field, std::uint32_t maxDegrees) {
  const std::size_t point = field.find('.');
  const std::string_view whole = field.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : field.substr(point + 1);
  if (whole.size() < 2 || !AllDigits(whole) || !AllDigits(fraction) || fraction.size() > kMaxMinuteScale) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> degrees = Degrees(whole.substr(0, whole.size() - 2));
  const std::uint64_t minutes = DigitsValue(whole.substr(whole.size() - 2));
  if (!degrees || minutes >= 60) return std::nullopt;
  const int scale = static_cast<int>(fraction.size());
  return Within({*degrees, minutes * PowerOfTen(scale) + DigitsValue(fraction), scale}, maxDegrees);
}

std::optional<Angle> AngleFromDegrees(std::string_view whole, std::string_view fraction, std::uint32_t maxDegrees) {
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  const std::optional<std::uint32_t> degrees = Degrees(whole);
  if (!degrees || !AllDigits(fraction) || fraction.size() > kMaxMinuteScale) return std::nullopt;
  // A fraction of a degree with n decimals is 60 times as many minutes with n decimals.
  return Within({*degrees, DigitsValue(fraction) * 60, static_cast<int>(fraction.size())}, maxDegrees);
}

double SignedDegrees(char ref, const Angle& angle) {
  const double degrees =
      angle.degrees + static_cast<double>(angle.minuteUnits) / static_cast<double>(PowerOfTen(angle.scale)) / 60.0;
  return ref == 'S' || ref == 'W' ? -degrees : degrees;
}

GeoPosition Interpolate(const GeoPosition& a, const GeoPosition& b, double fraction) {
  const double latitudeA = SignedDegrees(a.latitudeRef, a.latitude);
  const double latitude = latitudeA + fraction * (SignedDegrees(b.latitudeRef, b.latitude) - latitudeA);
  const double longitudeA = SignedDegrees(a.longitudeRef, a.longitude);
  double step = SignedDegrees(b.longitudeRef, b.longitude) - longitudeA;
  if (step > 180) step -= 360;
  if (step < -180) step += 360;
  double longitude = longitudeA + fraction * step;
  if (longitude > 180) longitude -= 360;
  if (longitude <= -180) longitude += 360;
  const auto seconds = std::llround(fraction * static_cast<double>((b.utc - a.utc).count()));
  return {latitude < 0 ? 'S' : 'N', AngleOf(latitude), longitude < 0 ? 'W' : 'E', AngleOf(longitude),
          a.utc + chr::seconds{seconds}};
}

std::string CoordinateText(const GeoPosition& position) {
  return AngleText(position.latitudeRef, position.latitude, 2) + "," +
         AngleText(position.longitudeRef, position.longitude, 3);
}

}  // namespace geoframe
