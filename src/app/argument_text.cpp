#include "app/argument_text.h"

#include <cstddef>
#include <cstdint>

namespace geoframe {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + a byte of 0x80 to 0xFF: U+DC80 to U+DCFF

// The length of the valid UTF-8 sequence at the start of bytes, 0 when none
// starts there (overlong forms, surrogates and code points past U+10FFFF are
// not valid).
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [&bytes](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

bool IsEscapedByte(char16_t unit) { return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF; }

}  // namespace

QString ArgumentText(std::string_view bytes) {
  QString text;
  while (!bytes.empty()) {
    if (const std::size_t length = Utf8SequenceLength(bytes)) {
      text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
      bytes.remove_prefix(length);
    } else {
      text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<std::uint8_t>(bytes.front())));
      bytes.remove_prefix(1);
    }
  }
  return text;
}

std::string ArgumentBytes(const QString& text) {
  std::string bytes;
  qsizetype runStart = 0;  // the characters since the last escaped byte
  const auto flushRun = [&](qsizetype end) {
    bytes += text.sliced(runStart, end - runStart).toStdString();
    runStart = end + 1;
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    // A low surrogate after a high one is half of a character, not a byte.
    const bool paired = i > 0 && text[i - 1].isHighSurrogate();
    if (IsEscapedByte(unit) && !paired) {
      flushRun(i);
      bytes += static_cast<char>(unit - kEscapeBase);
    }
  }
  flushRun(text.size());
  return bytes;
}

}  // namespace geoframe
