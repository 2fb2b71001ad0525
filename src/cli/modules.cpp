#include "cli/modules.h"

#include <dlfcn.h>  // dlopen, dlsym

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <variant>

#include "output/annotation_text.h"
#include "output/exif_writer.h"
#include "output/photo_exif.h"
#include "output/text_drawing.h"

namespace geoframe::cli {

namespace {

// The table a module beside the program returns from `symbol`, or why it
// cannot be had. The module stays loaded for the rest of the run: what it
// makes (the text module's application and Qt) lives in it.
template <typename Table>
std::variant<const Table*, std::string> LoadModule(const char* relativePath, const char* symbol) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "cannot find the program's own file: " + error.message();
  const std::string path = program.parent_path() / relativePath;
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return std::string(::dlerror());
  void* entry = ::dlsym(module, symbol);
  if (entry == nullptr) return std::string(::dlerror());
  return reinterpret_cast<const Table* (*)()>(entry)();
}

// The table in use, else the module's, put in use; nullptr, said on stderr,
// when the module cannot be loaded.
template <typename Table>
const Table* InUseOrLoaded(const Table* inUse, void (*use)(const Table&), const char* relativePath,
                           const char* symbol, const char* what) {
  if (inUse != nullptr) return inUse;
  std::variant<const Table*, std::string> loaded = LoadModule<Table>(relativePath, symbol);
  if (const std::string* reason = std::get_if<std::string>(&loaded)) {
    std::cerr << "geoframe-cli: cannot load the " << what << " module: " << *reason << '\n';
    return nullptr;
  }
  use(*std::get<const Table*>(loaded));
  return std::get<const Table*>(loaded);
}

}  // namespace

std::shared_ptr<void> StartTextDrawing() {
  const AnnotationText* text = InUseOrLoaded(AnnotationTextInUse(), UseAnnotationText, GEOFRAME_TEXT_MODULE,
                                             kAnnotationTextSymbol, "text drawing");
  return text == nullptr ? nullptr : text->startGui();
}

void StartExifWriting() {
  InUseOrLoaded(ExifWriterInUse(), UseExifWriter, GEOFRAME_EXIF_MODULE, kExifWriterSymbol, "EXIF");
}

}  // namespace geoframe::cli
