#include "app/exif_texts.h"

#include "app/output_texts.h"

namespace geoframe {

std::string ExifErrorText(const std::string& path, const ExifError& error) {
  switch (error.kind()) {
    case ExifErrorKind::Io:
      if (error.cause()) return FileErrorText(*error.cause());
      return "无法读取文件 " + path;
    case ExifErrorKind::OutOfRange:
      if (error.fileLength() == 0) return path + ": 文件是空的";
      return path + ": EXIF 数据不完整，超出了文件末尾";
    case ExifErrorKind::Overflow: return path + ": EXIF 数据已损坏，偏移量超出范围";
    case ExifErrorKind::Conversion: return path + ": EXIF 数据已损坏，Exif 目录的位置不是数字";
  }
  return path + ": EXIF 数据无法读取";
}

}  // namespace geoframe
