#include "output/file_system.h"

// Not built yet.
namespace geoframe {
namespace {
class NotBuilt : public FileSystem {
 public:
  bool FileExists(const std::string&) const override { return false; }
  bool NameTaken(const std::string&) const override { return false; }
  bool FolderExists(const std::string&) const override { return false; }
  void CreateFolder(const std::string&) override { throw OutputError("not built"); }
  std::vector<std::uint8_t> ReadFile(const std::string&) const override { throw OutputError("not built"); }
  void CopyFile(const std::string&, const std::string&) override { throw OutputError("not built"); }
  void RenameFile(const std::string&, const std::string&) override { throw OutputError("not built"); }
  void RemoveFile(const std::string&) override { throw OutputError("not built"); }
  void WriteFile(const std::string&, std::span<const std::uint8_t>) override { throw OutputError("not built"); }
};
}  // namespace
FileSystem& RealFileSystem() {
  static NotBuilt fs;
  return fs;
}
}  // namespace geoframe
