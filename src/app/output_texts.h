#pragma once

#include <string>

#include "io/file_error.h"
#include "output/output_error.h"

namespace geoframe {

// The window's texts for failed file operations and photo output, composed
// from the errors' kinds and data; every front end shows these, none composes
// its own.

// "无法写入文件 /p/a.jpg: 磁盘已满" and the like: the operation, the file and why.
std::string FileErrorText(const FileError& error);
// Only why it failed ("这是一个文件夹，不是文件"), for texts that name the file themselves.
std::string FileErrorReason(const FileError& error);

// Why a photo could not be read, framed or placed, naming the file where the
// error names one.
std::string OutputErrorText(const OutputError& error);

}  // namespace geoframe
