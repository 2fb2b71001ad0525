#include "output/file_names.h"

#include <string_view>

#include "io/folder.h"  // kNameMaxBytes

namespace geoframe {

namespace {

// The number of continuation bytes a UTF-8 lead byte announces, or -1 for a
// byte that cannot start a character (continuation bytes, overlong C0/C1, F5+).
int ContinuationBytes(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    int follow = ContinuationBytes(static_cast<unsigned char>(text[i]));
    if (follow < 0 || text.size() - i <= static_cast<std::size_t>(follow)) return false;
    for (int k = 1; k <= follow; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += static_cast<std::size_t>(follow) + 1;
  }
  return true;
}

}  // namespace

std::optional<NameProblem> FileNameProblem(std::string_view text) {
  if (text.find('/') != std::string_view::npos || text.find('\\') != std::string_view::npos) {
    return NameProblem::Separator;
  }
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return NameProblem::ControlCharacter;
  }
  if (!text.empty() && text.front() == '.') return NameProblem::Hidden;
  if (text.find_first_of("<>:\"|?*") != std::string_view::npos) return NameProblem::ForbiddenCharacter;
  if (!IsValidUtf8(text)) return NameProblem::NotUtf8;
  if (text.size() > kNameMaxBytes) return NameProblem::TooLong;
  return std::nullopt;
}

NameParts SplitExtension(const std::string& name) {
  std::size_t length = 4;
  if (name.size() >= 5) {
    std::string last = name.substr(name.size() - 5);
    for (char& c : last) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (last == ".jpeg") length = 5;
  }
  const std::size_t cut = name.size() >= length ? name.size() - length : 0;
  return {name.substr(0, cut), name.substr(cut)};
}

std::string NumberedName(const std::string& name, int number) {
  NameParts parts = SplitExtension(name);
  return parts.base + "_" + std::to_string(number) + parts.extension;
}

std::string UniqueFileName(const std::string& folder, const std::string& name, const NameTakenFn& taken) {
  if (!taken(folder + name)) return name;
  for (int number = 1; number <= kMaxNameNumber; ++number) {
    std::string candidate = NumberedName(name, number);
    if (!taken(folder + candidate)) return candidate;
  }
  throw OutputError(OutputErrorKind::NamesExhausted, folder, name);
}

std::string UniqueFileName(const std::string& folder, const std::string& name, const FileSystem& fs) {
  return UniqueFileName(folder, name, [&fs](const std::string& path) { return fs.NameTaken(path); });
}

std::string MakeBackupFolder(const std::string& folder, FileSystem& fs) {
  std::string backupFolder = folder + "BackUp/";
  if (!fs.FolderExists(backupFolder)) fs.CreateFolder(backupFolder);
  return backupFolder;
}

std::optional<std::string> BackupPhoto(const std::string& folder, const std::string& fileName,
                                       FileSystem& fs) {
  std::string source = folder + fileName;
  if (fileName.empty() || !fs.FileExists(source)) return std::nullopt;
  const std::string backupFolder = MakeBackupFolder(folder, fs);
  std::string target = backupFolder + UniqueFileName(backupFolder, fileName, fs);
  fs.CopyFile(source, target);
  return target;
}

}  // namespace geoframe
