#include "cli/text_module.h"

#include <dlfcn.h>  // dlopen, dlsym

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <variant>

#include "output/annotation_text.h"
#include "output/text_drawing.h"

namespace geoframe::cli {

namespace {

// The module's table, or why it cannot be had. The module stays loaded for
// the rest of the run: the application it makes and Qt live in it.
std::variant<const AnnotationText*, std::string> LoadTextModule() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "cannot find the program's own file: " + error.message();
  const std::string path = program.parent_path() / GEOFRAME_TEXT_MODULE;
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return std::string(::dlerror());
  void* entry = ::dlsym(module, kAnnotationTextSymbol);
  if (entry == nullptr) return std::string(::dlerror());
  return reinterpret_cast<const AnnotationText* (*)()>(entry)();
}

}  // namespace

std::shared_ptr<void> StartTextDrawing() {
  const AnnotationText* text = AnnotationTextInUse();
  if (text == nullptr) {
    std::variant<const AnnotationText*, std::string> loaded = LoadTextModule();
    if (const std::string* reason = std::get_if<std::string>(&loaded)) {
      std::cerr << "geoframe-cli: cannot load the text drawing module: " << *reason << '\n';
      return nullptr;
    }
    text = std::get<const AnnotationText*>(loaded);
    UseAnnotationText(*text);
  }
  return text->startGui();
}

}  // namespace geoframe::cli
