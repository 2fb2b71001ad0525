#pragma once

#include <exception>
#include <string>

#include "io/file_error.h"
#include "output/edit_photo.h"
#include "output/output_error.h"

namespace geoframe {

// The window's texts for failed file operations and photo output, composed
// from the errors' kinds and data; every front end shows these, none composes
// its own.

// "无法写入文件 /p/a.jpg: 磁盘已满" and the like: the operation, the file and why.
std::string FileErrorText(const FileError& error);
// Only why it failed ("这是一个文件夹，不是文件"), for texts that name the file themselves.
std::string FileErrorReason(const FileError& error);

// Why the open dialog could not give a file it showed: its name is not UTF-8.
std::string UnrepresentableNameReason();

// Why a photo could not be read, framed or placed, naming the file where the
// error names one.
std::string OutputErrorText(const OutputError& error);

// What a front end tells of a failure that no handler expected and that
// reached its outermost level (an exhausted memory, a file error): the program
// shows it and goes on rather than ending with the user's lists in it.
// `failure` holds an exception (std::current_exception() in a catch block).
std::string UnexpectedFailureText(const std::exception_ptr& failure);

// Why a photo failed, as the window and the command line show it; a failed
// backup says that the photo was left untouched.
std::string PhotoFailureText(const PhotoFailure& failure);

// Why a photo failed in a few words, for a list that names the photo before
// it: no folder path, another file by its name alone.
std::string PhotoFailureBrief(const PhotoFailure& failure);

// Why the prefix cannot be used for numbered names.
std::string PrefixProblemText(const std::string& prefix, NameProblem problem);

}  // namespace geoframe
