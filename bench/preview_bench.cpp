// Previewing a 24-megapixel photo (read, size, orientation, DCT-reduced decode,
// upright turn, smooth scale to the drawn size) against a full decode of it and
// against libjpeg-turbo's own 1/8-scaled decode, the floor; and a photo framing
// refuses by its header (a 16 x 16 stream claiming 65500 x 65500), which the
// preview must not decode either.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>  // getpid

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/memory_toolkit.h"
#include "app/mini_picture.h"
#include "app/qt/preview_surface.h"
#include "output/jpeg_decoder.h"
#include "sample_photos.h"

namespace {

using namespace geoframe;

std::filesystem::path gFolder;
std::string gPath;
std::vector<std::uint8_t> gJpeg;

std::string gRefusedPath;

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void MakePhoto() {
  gFolder = std::filesystem::temp_directory_path() / ("geoframe-preview-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(gFolder);
  gPath = (gFolder / "IMG_24MP.JPG").string();
  gJpeg = tools::MakeSamplePhoto(6000, 4000, 3, "2010:12:06 08:30:15", 1);
  WriteFile(gPath, gJpeg);
  gRefusedPath = (gFolder / "CLAIMS_65500.JPG").string();
  WriteFile(gRefusedPath, tools::WithDeclaredSize(tools::MakeSamplePhoto(16, 16, 3), 65500, 65500));
}

// The toolkit's drawing as the window does it: the picture scaled smoothly to
// the drawn size.
class ScalingToolkit : public MemoryToolkit {
 public:
  void DrawPreview(const RgbImage& picture, int left, int top, int width, int height) override {
    benchmark::DoNotOptimize(ScalePreviewPicture(picture, width, height));
    MemoryToolkit::DrawPreview(picture, left, top, width, height);
  }
};

void BM_Preview(benchmark::State& state) {
  ScalingToolkit ui;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawMiniPicture(ui, gPath));
  }
  state.counters["file_MB"] = static_cast<double>(gJpeg.size()) / (1024 * 1024);
}
BENCHMARK(BM_Preview)->Unit(benchmark::kMillisecond);

void BM_PreviewRefusedByItsHeader(benchmark::State& state) {
  MemoryToolkit ui;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawMiniPicture(ui, gRefusedPath));
  }
}
BENCHMARK(BM_PreviewRefusedByItsHeader)->Unit(benchmark::kMicrosecond);

void BM_FullDecode(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeJpeg(gJpeg));
  }
}
BENCHMARK(BM_FullDecode)->Unit(benchmark::kMillisecond);

// libjpeg-turbo alone, from bytes in memory, at 1/8.
void BM_TurboJpegEighth(benchmark::State& state) {
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  tjDecompressHeader3(handle, gJpeg.data(), gJpeg.size(), &width, &height, &subsampling, &colorspace);
  const tjscalingfactor eighth{1, 8};
  const int w = TJSCALED(width, eighth), h = TJSCALED(height, eighth);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
  for (auto _ : state) {
    tjDecompress2(handle, gJpeg.data(), gJpeg.size(), rgb.data(), w, w * 3, h, TJPF_RGB, 0);
    benchmark::DoNotOptimize(rgb.data());
  }
  tjDestroy(handle);
}
BENCHMARK(BM_TurboJpegEighth)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  MakePhoto();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(gFolder);
  return 0;
}
