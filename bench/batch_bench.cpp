// A batch of eight framed 24-megapixel photos through EditPhotos (render
// threads as the argument, 0 for one per core), with 4:2:0, 4:2:2 or full
// chroma, upright or stored on their side, against the floor: the same
// eight photos read, decoded (tjDecompress2) and encoded (tjCompress2, quality
// 80, 4:2:0) one after another on one thread, each into fresh buffers as a
// plain program does. The floor's second form reuses buffers touched once
// beforehand, leaving only the codec's own work: on machines where first
// touching memory is slow (virtual machines), that is the harder bar. Each
// case also runs once in a child process whose peak resident memory is
// reported as peak_MB.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>  // getpid

#include <QGuiApplication>
#include <cstdio>  // popen, fscanf, printf
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/annotation_text.h"
#include "output/batch.h"
#include "output/file_system.h"
#include "output/frame_picture.h"  // kFramedQuality
#include "output/text_drawing.h"
#include "peak_memory.h"
#include "sample_photos.h"

namespace {

using namespace geoframe;
namespace fs = std::filesystem;

constexpr int kPhotos = 8;
std::string gSelf;
fs::path gOriginals;  // a folder of each set's photos

// The sets of photos: chroma sampling and EXIF orientation.
struct PhotoSet {
  const char* name;
  tools::JpegCoding coding;
  int orientation;
};
constexpr PhotoSet kSets[] = {{"420", tools::JpegCoding::Baseline420, 1},
                              {"422", tools::JpegCoding::Baseline422, 1},
                              {"422_turned", tools::JpegCoding::Baseline422, 6},
                              {"444", tools::JpegCoding::Baseline444, 1},
                              {"444_turned", tools::JpegCoding::Baseline444, 6}};

std::string PhotoName(int i) { return "IMG_" + std::to_string(i) + ".JPG"; }
fs::path SetFolder(const std::string& set) { return gOriginals / set; }

void MakePhotos() {
  gOriginals = fs::temp_directory_path() / ("geoframe-batch-bench-" + std::to_string(::getpid()));
  for (const PhotoSet& set : kSets) {
    fs::create_directories(SetFolder(set.name));
    for (int i = 0; i < kPhotos; ++i) {
      const std::vector<std::uint8_t> pixels = tools::SamplePixels(6000, 4000, static_cast<unsigned>(i));
      RealFileSystem().WriteFile(
          (SetFolder(set.name) / PhotoName(i)).string(),
          tools::InsertExif(tools::EncodeSampleJpeg(pixels, 6000, 4000, set.coding), "2010:12:06 08:30:15",
                            set.orientation));
    }
  }
}

// A fresh copy of a set's photos in its own folder, removed again at the end.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& set) : path_(gOriginals.string() + "-work") {
    fs::remove_all(path_);
    fs::create_directories(path_);
    for (int i = 0; i < kPhotos; ++i) fs::copy_file(SetFolder(set) / PhotoName(i), path_ / PhotoName(i));
  }
  ~WorkFolder() { fs::remove_all(path_); }
  std::string folder() const { return path_.string() + "/"; }

 private:
  fs::path path_;
};

// The window's defaults with framing on: backup, the comment, the coordinate and the time.
std::size_t Batch(const std::string& folder, std::size_t threads) {
  std::vector<PhotoInput> photos;
  for (int i = 0; i < kPhotos; ++i) {
    photos.push_back(
        {i + 1, folder, PhotoName(i), true, "2010-12-06 08:25:15", "N30°15.1234',E120°30.5678'", std::nullopt});
  }
  OutputOptions options;
  options.frame = true;
  options.comment = "西湖";
  options.withCoordinate = true;
  std::size_t done = 0;
  for (const PhotoOutcome& outcome : EditPhotos(photos, options, RealFileSystem(), {}, threads).outcomes) {
    done += outcome.ok() ? 1 : 0;
  }
  return done;
}

// libjpeg-turbo's own decode and encode of one photo, nothing else.
std::size_t PlainDecodeEncode(tjhandle decoder, tjhandle encoder, std::span<const std::uint8_t> jpeg) {
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(decoder, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) != 0) {
    throw std::runtime_error(tjGetErrorStr2(decoder));
  }
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  if (tjDecompress2(decoder, jpeg.data(), jpeg.size(), rgb.data(), width, width * 3, height, TJPF_RGB, 0) != 0) {
    throw std::runtime_error(tjGetErrorStr2(decoder));
  }
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(encoder, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, TJSAMP_420, kFramedQuality,
                  0) != 0) {
    throw std::runtime_error(tjGetErrorStr2(encoder));
  }
  tjFree(out);
  return size;
}

std::size_t Floor(const std::string& folder) {
  tjhandle decoder = tjInitDecompress();
  tjhandle encoder = tjInitCompress();
  std::size_t bytes = 0;
  for (int i = 0; i < kPhotos; ++i) {
    bytes += PlainDecodeEncode(decoder, encoder, RealFileSystem().ReadFile(folder + PhotoName(i), 1 << 30));
  }
  tjDestroy(encoder);
  tjDestroy(decoder);
  return bytes;
}

// The codec's work alone: decode into and encode from buffers already touched.
class WarmFloor {
 public:
  explicit WarmFloor(const std::string& set)
      : rgb_(std::size_t{6000} * 4000 * 3, 1), out_(tjBufSize(6000, 4000, TJSAMP_420), 1) {
    for (int i = 0; i < kPhotos; ++i) {
      files_.push_back(RealFileSystem().ReadFile((SetFolder(set) / PhotoName(i)).string(), 1 << 30));
    }
  }
  ~WarmFloor() {
    tjDestroy(encoder_);
    tjDestroy(decoder_);
  }

  std::size_t Run() {
    std::size_t bytes = 0;
    for (const MappedMemory& jpeg : files_) {
      unsigned char* out = out_.data();
      unsigned long size = out_.size();
      if (tjDecompress2(decoder_, jpeg.data(), jpeg.size(), rgb_.data(), 6000, 6000 * 3, 4000, TJPF_RGB, 0) != 0 ||
          tjCompress2(encoder_, rgb_.data(), 6000, 6000 * 3, 4000, TJPF_RGB, &out, &size, TJSAMP_420, kFramedQuality,
                      TJFLAG_NOREALLOC) != 0) {
        throw std::runtime_error("plain decode or encode failed");
      }
      bytes += size;
    }
    return bytes;
  }

 private:
  tjhandle decoder_ = tjInitDecompress();
  tjhandle encoder_ = tjInitCompress();
  std::vector<MappedMemory> files_;
  std::vector<std::uint8_t> rgb_, out_;
};

// Peak resident memory in MB of a child running one case once.
double ChildPeakMegabytes(const std::string& kind, const std::string& set, std::size_t threads) {
  const std::string command = "'" + gSelf + "' --peak-child " + kind + " " + set + " " + std::to_string(threads) +
                              " '" + gOriginals.string() + "'";
  FILE* child = ::popen(command.c_str(), "r");
  if (child == nullptr) return -1;
  long kilobytes = -1;
  if (std::fscanf(child, "%ld", &kilobytes) != 1) kilobytes = -1;
  return ::pclose(child) == 0 && kilobytes > 0 ? kilobytes / 1024.0 : -1;
}

void Floor8x24MP(benchmark::State& state, const std::string& set) {
  for (auto _ : state) benchmark::DoNotOptimize(Floor(SetFolder(set).string() + "/"));
  state.counters["peak_MB"] = ChildPeakMegabytes("floor", set, 0);
}

void WarmFloor8x24MP(benchmark::State& state, const std::string& set) {
  WarmFloor floor(set);
  for (auto _ : state) benchmark::DoNotOptimize(floor.Run());
}

void Batch8x24MP(benchmark::State& state, const std::string& set) {
  const auto threads = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    {
      WorkFolder work(set);
      state.ResumeTiming();
      if (Batch(work.folder(), threads) != kPhotos) state.SkipWithError("a photo failed");
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["peak_MB"] = ChildPeakMegabytes("batch", set, threads);
}

// Each set's floors and batches side by side: BM_Floor8x24MP/422 and so on.
void RegisterCases() {
  for (const PhotoSet& set : kSets) {
    const std::string name = set.name;
    benchmark::RegisterBenchmark(("BM_Floor8x24MP/" + name).c_str(), Floor8x24MP, name)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("BM_WarmFloor8x24MP/" + name).c_str(), WarmFloor8x24MP, name)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // CPU time counts every thread of the process: the render threads' work too.
    benchmark::RegisterBenchmark(("BM_Batch8x24MP/" + name).c_str(), Batch8x24MP, name)
        ->Arg(1)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime();
  }
}

// A child: one run of the case on a fresh copy, then its peak memory on stdout.
int PeakChild(const std::string& kind, const std::string& set, std::size_t threads, const std::string& originals) {
  gOriginals = originals;
  if (kind == "floor") {
    if (Floor(SetFolder(set).string() + "/") == 0) return 1;
  } else {
    WorkFolder work(set);
    if (Batch(work.folder(), threads) != kPhotos) return 1;
  }
  std::printf("%ld\n", bench::PeakKilobytes());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gSelf = fs::read_symlink("/proc/self/exe").string();
  QGuiApplication app(argc, argv);
  geoframe::UseAnnotationText(*geoframe_annotation_text());
  if (argc == 6 && std::string(argv[1]) == "--peak-child") {
    return PeakChild(argv[2], argv[3], std::stoul(argv[4]), argv[5]);
  }
  MakePhotos();
  RegisterCases();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(gOriginals);
  return 0;
}
