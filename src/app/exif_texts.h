#pragma once

#include <string>

#include "exif/exif_reader.h"

namespace geoframe {

// Why the EXIF data of the file at path could not be read, naming the file:
// "无法读取文件 /p/x.jpg: 这是一个文件夹，不是文件", "/p/x.jpg: 文件是空的", ...
// (The photo list never shows these: a photo whose EXIF data cannot be read is
// listed without a time. The command line tells them.)
std::string ExifErrorText(const std::string& path, const ExifError& error);

}  // namespace geoframe
