#include "track/xml_bytes.h"

namespace geoframe {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// The value of `encoding="..."` in a declaration's text, or empty.
std::string_view EncodingName(std::string_view declaration) {
  std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  at += 8;
  while (at < declaration.size() && IsBlank(declaration[at])) ++at;
  if (at >= declaration.size() || declaration[at] != '=') return {};
  ++at;
  while (at < declaration.size() && IsBlank(declaration[at])) ++at;
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
  const std::size_t end = declaration.find(declaration[at], at + 1);
  if (end == std::string_view::npos) return {};
  return declaration.substr(at + 1, end - at - 1);
}

}  // namespace

std::size_t Utf8Check::ValidPrefix(std::string_view piece) {
  for (std::size_t i = 0; i < piece.size(); ++i) {
    const auto byte = static_cast<unsigned char>(piece[i]);
    if (needed_ > 0) {
      if (byte < low_ || byte > high_) return i;
      --needed_;
      low_ = 0x80;
      high_ = 0xBF;
      continue;
    }
    if (byte < 0x80) continue;
    // The lead byte: how many continuation bytes, and the range of the first
    // where it must shut out overlong forms, surrogates and values past U+10FFFF.
    if (byte >= 0xC2 && byte <= 0xDF) needed_ = 1;
    else if (byte >= 0xE0 && byte <= 0xEF) needed_ = 2;
    else if (byte >= 0xF0 && byte <= 0xF4) needed_ = 3;
    else return i;
    if (byte == 0xE0) low_ = 0xA0;
    if (byte == 0xED) high_ = 0x9F;
    if (byte == 0xF0) low_ = 0x90;
    if (byte == 0xF4) high_ = 0x8F;
  }
  return piece.size();
}

bool DeclaresUtf8(std::string_view head) {
  if (head.starts_with(kUtf16LittleEndianMark) || head.starts_with(kUtf16BigEndianMark)) return false;
  if (head.starts_with(kUtf8Mark)) head.remove_prefix(kUtf8Mark.size());
  if (!head.starts_with("<?xml") || head.size() < 6 || !IsBlank(head[5])) return true;
  const std::size_t end = head.find("?>");
  const std::string_view name = EncodingName(head.substr(0, end));
  return name.empty() || SameName(name, "utf-8") || SameName(name, "utf8");
}

std::string MarkupText(std::string_view head) {
  if (head.starts_with(kUtf8Mark)) return std::string(head.substr(kUtf8Mark.size()));
  const bool little = head.starts_with(kUtf16LittleEndianMark);
  if (!little && !head.starts_with(kUtf16BigEndianMark)) return std::string(head);
  std::string text;
  text.reserve(head.size() / 2);
  for (std::size_t at = 2; at + 1 < head.size(); at += 2) {
    const auto low = static_cast<unsigned char>(head[little ? at : at + 1]);
    const auto high = static_cast<unsigned char>(head[little ? at + 1 : at]);
    text += high == 0 && low < 0x80 ? static_cast<char>(low) : '\x80';
  }
  return text;
}

}  // namespace geoframe
