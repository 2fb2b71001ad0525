#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace geoframe {

// Command-line arguments and file names are bytes, and not every name is
// UTF-8 (photos copied from old Windows machines often carry GBK names); Qt's
// command-line parser works on text. These two convert without loss: valid
// UTF-8 becomes its characters, and every other byte a lone surrogate
// (U+DC80 + byte) that no valid UTF-8 yields, so ArgumentBytes gives back the
// very bytes ArgumentText was given. Such a text is for parsing, not display.
QString ArgumentText(std::string_view bytes);
std::string ArgumentBytes(const QString& text);

}  // namespace geoframe
