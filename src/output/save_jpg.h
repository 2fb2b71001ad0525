#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QImage>

#include "output/file_system.h"

namespace geoframe {

// The picture as a baseline JPEG of exactly its size at the given quality
// (0-100), 4:2:0 chroma, with no metadata but the encoder's own JFIF header.
// Throws OutputError: EncodeFailed (an empty picture, a quality outside 0-100,
// the encoder's refusal) or OutOfMemory.
std::vector<std::uint8_t> EncodePicture(const QImage& picture, int quality);

// Encodes the picture and writes it to path, complete or not at all (replacing
// a file there). True when the file was written; false, with nothing written,
// for an empty picture, a bad quality or a path that cannot be written.
// Framed output does not come this way: it needs the reason of a failure, and
// it is written under a name that must not replace anything (EncodePicture,
// then FileSystem::WriteNewFile).
bool SaveJPG(const QImage& picture, const std::string& path, int quality,
             FileSystem& fs = RealFileSystem());

}  // namespace geoframe
