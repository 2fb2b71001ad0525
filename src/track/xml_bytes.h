#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace geoframe {

// Checks UTF-8 text that arrives in pieces: sequences may be split between
// pieces; overlong forms, surrogates and values past U+10FFFF are refused, as
// a strict decoder refuses them.
class Utf8Check {
 public:
  // How many bytes of the piece keep the text valid so far: the whole piece,
  // or the bytes before the first one that no UTF-8 text can hold there.
  std::size_t ValidPrefix(std::string_view piece);

 private:
  int needed_ = 0;             // continuation bytes still to come
  unsigned char low_ = 0x80;   // range of the next continuation byte
  unsigned char high_ = 0xBF;
};

// Whether an XML document starting with these bytes is UTF-8: it starts with
// no UTF-16 byte order mark, and it has no declaration, or its declaration
// names no encoding or UTF-8.
bool DeclaresUtf8(std::string_view head);

// The start of an XML document as 8-bit text in which its markup can be looked
// at without decoding it: a UTF-16 document (known by its byte order mark) one
// byte a character, each past ASCII as 0x80; any other as it stands. A byte
// order mark is left off.
std::string MarkupText(std::string_view head);

}  // namespace geoframe
