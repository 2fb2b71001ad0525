#include "app/output_texts.h"

#include <cerrno>
#include <cstdint>
#include <cstring>  // strerror
#include <new>      // bad_alloc
#include <variant>

#include "output/file_names.h"  // kMaxNameNumber

#include "output/frame_picture.h"  // CanvasSize, kMaxCanvasPixels, kFramingMemoryBudget

namespace geoframe {

namespace {

// The reason of a failed system call, in the program's language where we know it.
std::string SystemReason(int error) {
  switch (error) {
    case ENOSPC: return "磁盘已满";
    case EDQUOT: return "磁盘配额已用完";
    case EACCES:
    case EPERM: return "没有权限";
    case EROFS: return "文件系统只读";
    case ENOENT: return "文件或文件夹不存在";
    case ENOTDIR: return "路径中有一段不是文件夹";
    case EEXIST: return "同名的文件已存在";
    case EISDIR: return "这是一个文件夹";
    case ENAMETOOLONG: return "文件名太长";
    case ELOOP: return "符号链接形成循环";
    case EIO: return "读写出错";
    case EBUSY:
    case ETXTBSY: return "文件正被占用";
    default: return std::strerror(error);
  }
}

std::string Reason(const FileError& error) {
  switch (error.kind()) {
    case FileErrorKind::System: return SystemReason(error.errnum());
    case FileErrorKind::Folder: return "这是一个文件夹，不是文件";
    case FileErrorKind::Special: return "这是设备或管道，不是普通文件";
    case FileErrorKind::TooLarge: return "文件太大";
    case FileErrorKind::Shrank: return "文件在读取时变短了";
    case FileErrorKind::Busy: return "另一个批处理正在使用这个文件夹";
  }
  return "未知错误";
}

std::string NameReason(NameProblem problem) {
  switch (problem) {
    case NameProblem::Separator: return "含有路径分隔符 / 或 \\";
    case NameProblem::ControlCharacter: return "含有控制字符";
    case NameProblem::Hidden: return "以 . 开头，文件会被隐藏";
    case NameProblem::ForbiddenCharacter: return "含有文件系统不接受的字符 < > : \" | ? *";
    case NameProblem::NotUtf8: return "不是有效的 UTF-8 文字";
    case NameProblem::TooLong:
    case NameProblem::NoRoomForNumber: return "太长";
  }
  return "不可用";
}

std::string WithPath(const OutputError& error, const std::string& text) {
  const std::string& path = error.fields().path;
  return path.empty() ? text : path + ": " + text;
}

// Why a photo is too large: its pixels with the margins, the memory framing
// would take, or (neither) the decoder's own limit of 65500 pixels a side.
std::string TooLargeText(const OutputError::Fields& f) {
  const std::string size = "照片太大：" + std::to_string(f.width) + " x " + std::to_string(f.height) + " 像素，";
  const PixelSize canvas = CanvasSize({f.width, f.height});
  if (static_cast<std::int64_t>(canvas.width) * canvas.height > kMaxCanvasPixels) {
    return size + "加边框后超过 " + std::to_string(kMaxCanvasPixels / 1'000'000) + " 百万像素的上限";
  }
  constexpr std::int64_t kMegabyte = 1 << 20;
  if (f.bytes > 0) {
    return size + "解码和加边框需要约 " + std::to_string((f.bytes + kMegabyte - 1) / kMegabyte) +
           " MB 内存，超过 " + std::to_string(kFramingMemoryBudget / kMegabyte) + " MB 的上限";
  }
  return size + "超过 JPEG 解码器的上限";
}

// The last part of a path: the file or folder's own name, also of a folder
// path that ends in "/".
std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileErrorBrief(const FileError& error) {
  switch (error.op()) {
    case FileOp::Read: return "无法读取: " + Reason(error);
    case FileOp::Write: return "无法写入 " + BaseName(error.path()) + ": " + Reason(error);
    case FileOp::Copy: return "无法复制到 " + BaseName(error.target()) + ": " + Reason(error);
    case FileOp::Rename: return "无法改名为 " + BaseName(error.target()) + ": " + Reason(error);
    case FileOp::Remove: return "无法删除 " + BaseName(error.path()) + ": " + Reason(error);
    case FileOp::CreateFolder: return "无法创建文件夹 " + BaseName(error.path()) + ": " + Reason(error);
    case FileOp::Lock: return "无法锁定文件夹 " + BaseName(error.path()) + ": " + Reason(error);
  }
  return Reason(error);
}

// The texts of OutputErrorText without the photo's or folder's path.
std::string OutputErrorBrief(const OutputError& error) {
  const OutputError::Fields& f = error.fields();
  switch (error.kind()) {
    case OutputErrorKind::NotJpeg: return "不是可读的 JPEG 图像";
    case OutputErrorKind::NoPixels: return "JPEG 图像没有像素";
    case OutputErrorKind::Damaged: return "照片数据已损坏或不完整";
    case OutputErrorKind::TooLarge: return TooLargeText(f);
    case OutputErrorKind::Unsupported: return "不支持的 JPEG 格式";
    case OutputErrorKind::EncodeFailed: return "无法压缩图像";
    case OutputErrorKind::OutOfMemory: return "内存不足";
    case OutputErrorKind::EmptyFile: return "照片文件是空的（0 字节）";
    case OutputErrorKind::NamesExhausted:
      return f.detail + " 及其编号 1 到 " + std::to_string(kMaxNameNumber) + " 的文件名都已被占用";
    case OutputErrorKind::Missing: return "找不到照片文件";
    case OutputErrorKind::SameFileAgain: return "与第 " + std::to_string(f.row) + " 行是同一个文件，这次跳过";
    case OutputErrorKind::FolderBusy: return "所在文件夹正由另一个批处理使用";
    case OutputErrorKind::ExifDamaged: return "EXIF 信息已损坏，无法写入: " + f.detail;
    case OutputErrorKind::ExifTooLarge: return "写入后的 EXIF 信息超过 64 KB，无法写入";
    case OutputErrorKind::NoGui:
    case OutputErrorKind::NoExifWriter:
    case OutputErrorKind::BadName:
    case OutputErrorKind::NameTooLong: return OutputErrorText(error);  // these name no path
  }
  return error.what();
}

}  // namespace

std::string UnexpectedFailureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return "内存不足，操作未能完成。";
  } catch (const FileError& error) {
    return FileErrorText(error);
  } catch (const OutputError& error) {
    return OutputErrorText(error);
  } catch (const std::exception& error) {
    return std::string("操作未能完成：") + error.what();
  }
}

std::string FileErrorText(const FileError& error) {
  const std::string& path = error.path();
  switch (error.op()) {
    case FileOp::Read: return "无法读取文件 " + path + ": " + Reason(error);
    case FileOp::Write: return "无法写入文件 " + path + ": " + Reason(error);
    case FileOp::Copy: return "无法复制到 " + error.target() + ": " + Reason(error);
    case FileOp::Rename: return "无法把 " + path + " 改名为 " + error.target() + ": " + Reason(error);
    case FileOp::Remove: return "无法删除文件 " + path + ": " + Reason(error);
    case FileOp::CreateFolder: return "无法创建文件夹 " + path + ": " + Reason(error);
    case FileOp::Lock: return "无法锁定文件夹 " + path + ": " + Reason(error);
  }
  return path + ": " + Reason(error);
}

std::string FileErrorReason(const FileError& error) { return Reason(error); }

std::string UnrepresentableNameReason() { return "文件名不是 UTF-8 编码，文件对话框无法打开"; }

std::string OutputErrorText(const OutputError& error) {
  const OutputError::Fields& f = error.fields();
  switch (error.kind()) {
    case OutputErrorKind::NotJpeg: return WithPath(error, "无法解码照片: 不是可读的 JPEG 图像: " + f.detail);
    case OutputErrorKind::NoPixels: return WithPath(error, "无法解码照片: JPEG 图像没有像素");
    case OutputErrorKind::Damaged: return WithPath(error, "无法解码照片: 照片数据已损坏或不完整");
    case OutputErrorKind::TooLarge: return WithPath(error, TooLargeText(f));
    case OutputErrorKind::Unsupported: return WithPath(error, "无法解码照片: 不支持的 JPEG 格式: " + f.detail);
    case OutputErrorKind::NoGui: return "没有图形环境，无法绘制注释文字";
    case OutputErrorKind::EncodeFailed: return WithPath(error, "无法压缩图像: " + f.detail);
    case OutputErrorKind::OutOfMemory: return "内存不足，无法给 " + f.path + " 加边框";
    case OutputErrorKind::EmptyFile: return WithPath(error, "照片文件是空的（0 字节）");
    case OutputErrorKind::BadName: return "新文件名“" + f.detail + "”不能用作文件名：" + NameReason(f.nameProblem) + "。";
    case OutputErrorKind::NameTooLong: return "新文件名“" + f.detail + "”太长，文件系统不接受。";
    case OutputErrorKind::NamesExhausted:
      return "文件夹 " + f.path + " 中 " + f.detail + " 及其编号 1 到 " + std::to_string(kMaxNameNumber) +
             " 的文件名都已被占用";
    case OutputErrorKind::Missing: return "找不到照片文件 " + f.path;
    case OutputErrorKind::SameFileAgain:
      return f.path + ": 与第 " + std::to_string(f.row) + " 行是同一个文件，已处理过，这次跳过";
    case OutputErrorKind::FolderBusy: return "文件夹 " + f.path + " 正由另一个批处理使用";
    case OutputErrorKind::ExifDamaged: return WithPath(error, "EXIF 信息已损坏，无法写入: " + f.detail);
    case OutputErrorKind::ExifTooLarge: return WithPath(error, "写入后的 EXIF 信息超过 64 KB，无法写入");
    case OutputErrorKind::NoExifWriter: return "缺少写入 EXIF 信息的模块，无法写入 EXIF 信息";
  }
  return error.what();
}

namespace {

// The failure worded by one of the two ways of telling its error, after the
// backup's lead where the backup failed.
std::string Worded(const PhotoFailure& failure, std::string (*fileText)(const FileError&),
                   std::string (*outputText)(const OutputError&)) {
  const std::string text = std::holds_alternative<FileError>(failure.error)
                               ? fileText(std::get<FileError>(failure.error))
                               : outputText(std::get<OutputError>(failure.error));
  return failure.stage == PhotoStage::Backup ? "无法备份，照片未改动: " + text : text;
}

}  // namespace

std::string PhotoFailureText(const PhotoFailure& failure) { return Worded(failure, FileErrorText, OutputErrorText); }

std::string PhotoFailureBrief(const PhotoFailure& failure) {
  return Worded(failure, FileErrorBrief, OutputErrorBrief);
}

std::string PrefixProblemText(const std::string& prefix, NameProblem problem) {
  if (problem == NameProblem::NoRoomForNumber) return "前缀“" + prefix + "”太长。";
  return "前缀“" + prefix + "”不能用作文件名：" + NameReason(problem) + "。";
}

}  // namespace geoframe
