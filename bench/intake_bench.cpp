// Adding 500 photos (the intake loop: checks, EXIF time, rows, records, the
// progress strip after each file) against 500 bare EXIF reads of the same files.
// The loop runs on the in-memory toolkit and on the real window (offscreen),
// whose strip is repainted synchronously after every file.
#include <benchmark/benchmark.h>
#include <unistd.h>  // getpid

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "app/photo_intake.h"
#include "app/qt/main_window.h"
#include "exif/exif_reader.h"
#include "sample_photos.h"

namespace {

using namespace geoframe;

constexpr int kPhotos = 500;
DlgFileList gFiles;

void MakePhotos() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("geoframe-intake-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  // One camera-like photo (EXIF time and orientation), written under 500 names.
  const std::vector<std::uint8_t> photo = tools::MakeSamplePhoto(1600, 1200, 7, "2010:12:06 08:30:15", 1);
  gFiles.FolderPath = folder.string() + "/";
  for (int i = 1; i <= kPhotos; ++i) {
    std::string name = "IMG_" + std::to_string(1000 + i) + ".JPG";
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(photo.data()), static_cast<std::streamsize>(photo.size()));
    gFiles.FileNames.push_back(name);
  }
  gFiles.FileCount = kPhotos;
}

void BM_BareExifReads(benchmark::State& state) {
  for (auto _ : state) {
    for (const std::string& name : gFiles.FileNames) {
      ExifReader reader;
      reader.Load(gFiles.FolderPath + name);
      benchmark::DoNotOptimize(reader.Tag(36867));
    }
  }
  state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(BM_BareExifReads)->Unit(benchmark::kMillisecond);

void BM_IntakeLoop(benchmark::State& state) {
  for (auto _ : state) {
    MemoryToolkit ui;
    MainLogic logic(ui);
    IntakeResult result = AddPhotoFiles(logic, gFiles);
    if (result.withExif != kPhotos) state.SkipWithError("a photo lost its time");
  }
  state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(BM_IntakeLoop)->Unit(benchmark::kMillisecond);

void BM_IntakeLoopWindow(benchmark::State& state) {
  MainWindow window;
  window.show();
  for (auto _ : state) {
    window.ClearRows(ListId::Photos);
    IntakeResult result = AddPhotoFiles(window.logic(), gFiles);
    if (result.withExif != kPhotos) state.SkipWithError("a photo lost its time");
  }
  state.SetItemsProcessed(state.iterations() * kPhotos);
}
BENCHMARK(BM_IntakeLoopWindow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  MakePhotos();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(std::filesystem::path(gFiles.FolderPath));
  return 0;
}
