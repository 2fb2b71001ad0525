// Framing a 12- and a 24-megapixel photo (read, decode, frame with the
// annotation, encode at quality 80) in Y, Cb, Cr planes against the floor: the
// same photo's plain read, RGB decode and encode with TurboJPEG, into memory
// in 2 MB pages as framing uses (goal for 24 MP: at most 0.9 of it, at 4:2:0,
// 4:2:2 and 4:4:4 chroma alike, upright or stored on its side); the
// 24-megapixel photo also framed in RGB as it was before the planes (decoded
// straight into an RGB canvas, text drawn there, encoded from RGB); a
// 149-megapixel photo stored on its side, near the canvas limit; and the
// refusal of hostile streams: a 16 x 16 stream claiming 12000 x 12000, the
// same progressive at full chroma (refused by its header: its coefficients
// alone would take 864 MB), and a progressive one with 2000 extra scans. Each
// case also runs once in a child process whose peak resident memory is
// reported as peak_MB (goals: under 1 GB for any photo framed, under 300 MB
// for any refused).
#include <benchmark/benchmark.h>
#include <sys/mman.h>  // mmap, madvise, munmap
#include <turbojpeg.h>
#include <unistd.h>  // getpid

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>  // popen, fscanf, printf
#include <cstring>  // memset
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>  // pair
#include <vector>

#include "output/annotation_text.h"
#include "output/file_system.h"
#include "output/frame_picture.h"
#include "output/output_error.h"
#include "output/text_drawing.h"
#include "peak_memory.h"
#include "sample_photos.h"

namespace {

using namespace geoframe;

const std::string kAnnotation = " 西湖  N30°15.1234',E120°30.5678'  2010-12-06 16:30:15";
std::string gSelf;
std::filesystem::path gFolder;

// Photo 25 is the 24-megapixel photo stored on its side (EXIF orientation 6),
// as phones store portraits; 24-422 and 24-444 the same picture with 4:2:2
// and full chroma, and their "-turned" forms on their side; photo 149 a
// 14900 x 9980 one on its side.
std::string PhotoPath(const std::string& name) { return (gFolder / (name + ".jpg")).string(); }

void MakePhotos() {
  gFolder = std::filesystem::temp_directory_path() / ("geoframe-frame-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(gFolder);
  for (auto [name, w, h] : {std::tuple{"12", 4000, 3000}, {"24", 6000, 4000}}) {
    RealFileSystem().WriteFile(PhotoPath(name), tools::MakeSamplePhoto(w, h, 1));
  }
  RealFileSystem().WriteFile(PhotoPath("25"), tools::MakeSamplePhoto(6000, 4000, 1, "2010:12:06 08:30:15", 6));
  const std::vector<std::uint8_t> big = tools::SamplePixels(6000, 4000, 1);
  for (auto [name, coding] :
       {std::pair{"24-422", tools::JpegCoding::Baseline422}, {"24-444", tools::JpegCoding::Baseline444}}) {
    const std::vector<std::uint8_t> jpeg = tools::EncodeSampleJpeg(big, 6000, 4000, coding);
    RealFileSystem().WriteFile(PhotoPath(name), jpeg);
    RealFileSystem().WriteFile(PhotoPath(std::string(name) + "-turned"), tools::InsertExif(jpeg, "", 6));
  }
  RealFileSystem().WriteFile(PhotoPath("149"), tools::MakeSamplePhoto(14900, 9980, 1, "2010:12:06 08:30:15", 6));
  const std::vector<std::uint8_t> pixels = tools::SamplePixels(16, 16, 1);
  const std::vector<std::uint8_t> small = tools::MakeSamplePhoto(16, 16, 1);
  RealFileSystem().WriteFile(PhotoPath("claims-12000"), tools::WithDeclaredSize(small, 12000, 12000));
  RealFileSystem().WriteFile(
      PhotoPath("progressive-claims-12000"),
      tools::WithDeclaredSize(tools::EncodeSampleJpeg(pixels, 16, 16, tools::JpegCoding::Progressive444), 12000, 12000));
  RealFileSystem().WriteFile(
      PhotoPath("2000-scans"),
      tools::WithExtraScans(tools::EncodeSampleJpeg(pixels, 16, 16, tools::JpegCoding::Progressive420), 2000));
}

struct Turbo {
  explicit Turbo(tjhandle made) : handle(made, tjDestroy) {
    if (!handle) throw std::runtime_error(tjGetErrorStr2(nullptr));
  }
  void Check(int status) const {
    if (status != 0) throw std::runtime_error(tjGetErrorStr2(handle.get()));
  }
  std::unique_ptr<void, int (*)(tjhandle)> handle;
};

MappedMemory ReadPhoto(const std::string& path) {
  return RealFileSystem().ReadFile(path, std::int64_t{1} << 30);
}

// Decodes the photo to RGB rows `pitch` bytes apart at `rgb` (the buffer is
// the caller's); its size.
PixelSize DecodeRgb(std::span<const std::uint8_t> jpeg, std::uint8_t* rgb, int pitch) {
  const Turbo turbo(tjInitDecompress());
  int width = 0, height = 0, sampling = 0, colours = 0;
  turbo.Check(tjDecompressHeader3(turbo.handle.get(), jpeg.data(), jpeg.size(), &width, &height, &sampling, &colours));
  if (rgb != nullptr) {
    turbo.Check(tjDecompress2(turbo.handle.get(), jpeg.data(), jpeg.size(), rgb, width, pitch, height, TJPF_RGB, 0));
  }
  return {width, height};
}

std::size_t EncodeRgb(const std::uint8_t* rgb, PixelSize size, int pitch) {
  const Turbo turbo(tjInitCompress());
  unsigned char* buffer = nullptr;
  unsigned long bytes = 0;
  const int status = tjCompress2(turbo.handle.get(), rgb, size.width, pitch, size.height, TJPF_RGB, &buffer, &bytes,
                                 TJSAMP_420, kFramedQuality, 0);
  tjFree(buffer);
  turbo.Check(status);
  return bytes;
}

// Memory asked of the kernel in 2 MB pages where it allows them, as framing
// asks for its canvas: in 4 KB pages, first touching the 72 MB of a 24 MP RGB
// picture can cost more than decoding it.
class BigPages {
 public:
  explicit BigPages(std::size_t bytes) : bytes_(bytes) {
    void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    ::madvise(memory, bytes, MADV_HUGEPAGE);
    data_ = static_cast<std::uint8_t*>(memory);
  }
  ~BigPages() { ::munmap(data_, bytes_); }
  BigPages(const BigPages&) = delete;
  BigPages& operator=(const BigPages&) = delete;
  std::uint8_t* data() const { return data_; }

 private:
  std::size_t bytes_;
  std::uint8_t* data_;
};

// The floor: plain RGB decode and encode.
std::size_t Floor(const std::string& path) {
  const MappedMemory jpeg = ReadPhoto(path);
  const PixelSize size = DecodeRgb(jpeg, nullptr, 0);
  const BigPages rgb(static_cast<std::size_t>(size.width) * size.height * 3);
  DecodeRgb(jpeg, rgb.data(), size.width * 3);
  return EncodeRgb(rgb.data(), size, size.width * 3);
}

// Framing as it was done in RGB, for an upright photo: the photo decoded
// straight into the canvas, the margins whited, the annotation drawn in the
// strip, all encoded from RGB.
std::size_t FrameInRgb(const std::string& path) {
  const MappedMemory jpeg = ReadPhoto(path);
  const PixelSize photo = DecodeRgb(jpeg, nullptr, 0);
  const PixelSize canvas = CanvasSize(photo);
  const int pitch = (canvas.width * 3 + 3) & ~3;
  const BigPages memory(static_cast<std::size_t>(pitch) * canvas.height);
  std::uint8_t* bits = memory.data();
  DecodeRgb(jpeg, bits + pitch * kPhotoLeft + kPhotoLeft * 3, pitch);
  std::memset(bits, 0xFF, static_cast<std::size_t>(pitch) * kPhotoLeft);
  for (int y = kPhotoLeft; y < kPhotoLeft + photo.height; ++y) {
    std::memset(bits + pitch * y, 0xFF, kPhotoLeft * 3);
    std::memset(bits + pitch * y + (kPhotoLeft + photo.width) * 3, 0xFF, pitch - (kPhotoLeft + photo.width) * 3);
  }
  std::memset(bits + pitch * (kPhotoLeft + photo.height), 0xFF, static_cast<std::size_t>(pitch) * kPhotoLeft);
  {
    static const QFont* font = [] {  // made once, as framing makes its font
      auto* made = new QFont();
      made->setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC")});
      made->setBold(true);
      made->setPixelSize(kTextStripHeight);
      made->setStyleStrategy(QFont::PreferAntialias);
      return made;
    }();
    const int stripWidth = photo.width + 2 * kCellBorder;
    QImage strip(bits + pitch * (kPhotoLeft + photo.height + kCellBorder) + kFrameMargin * 3, stripWidth,
                 kTextStripHeight, pitch, QImage::Format_RGB888);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(*font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, stripWidth, kTextStripHeight), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(kAnnotation));
  }
  return EncodeRgb(bits, canvas, pitch);
}

// Framing as the program frames: encoded as framed, band by band where the
// photo allows.
std::size_t Frame(const std::string& path) {
  return FramePictureEncoded(ReadPhotoSource(path), kAnnotation, kFramedQuality).size;
}

// Refusing a hostile stream: 1 when it was refused.
std::size_t Refuse(const std::string& path) {
  try {
    FramePicture(path, kAnnotation);
  } catch (const OutputError&) {
    return 1;
  }
  return 0;
}

std::size_t RunOnce(const std::string& kind, const std::string& path) {
  if (kind == "floor") return Floor(path);
  if (kind == "rgb") return FrameInRgb(path);
  return kind == "refuse" ? Refuse(path) : Frame(path);
}

// Peak resident memory in MB of a child running one case once.
double ChildPeakMegabytes(const std::string& kind, const std::string& path) {
  std::string command = "'" + gSelf + "' --peak-child " + kind + " '" + path + "'";
  FILE* child = ::popen(command.c_str(), "r");
  if (child == nullptr) return -1;
  long kilobytes = -1;
  if (std::fscanf(child, "%ld", &kilobytes) != 1) kilobytes = -1;
  return ::pclose(child) == 0 && kilobytes > 0 ? kilobytes / 1024.0 : -1;
}

void Run(benchmark::State& state, const std::string& kind, const std::string& photo) {
  const std::string path = PhotoPath(photo);
  for (auto _ : state) benchmark::DoNotOptimize(RunOnce(kind, path));
  state.counters["peak_MB"] = ChildPeakMegabytes(kind, path);
}

void BM_DecodeEncode12MP(benchmark::State& state) { Run(state, "floor", "12"); }
void BM_Frame12MP(benchmark::State& state) { Run(state, "frame", "12"); }
void BM_DecodeEncode24MP(benchmark::State& state) { Run(state, "floor", "24"); }
void BM_Frame24MP(benchmark::State& state) { Run(state, "frame", "24"); }
void BM_Frame24MPInRgb(benchmark::State& state) { Run(state, "rgb", "24"); }
void BM_Frame24MPTurned(benchmark::State& state) { Run(state, "frame", "25"); }
void BM_DecodeEncode24MP422(benchmark::State& state) { Run(state, "floor", "24-422"); }
void BM_Frame24MP422(benchmark::State& state) { Run(state, "frame", "24-422"); }
void BM_Frame24MP422Turned(benchmark::State& state) { Run(state, "frame", "24-422-turned"); }
void BM_DecodeEncode24MP444(benchmark::State& state) { Run(state, "floor", "24-444"); }
void BM_Frame24MP444(benchmark::State& state) { Run(state, "frame", "24-444"); }
void BM_Frame24MP444Turned(benchmark::State& state) { Run(state, "frame", "24-444-turned"); }
void BM_Frame149MPTurned(benchmark::State& state) { Run(state, "frame", "149"); }
void BM_RefuseClaimed12000(benchmark::State& state) { Run(state, "refuse", "claims-12000"); }
void BM_RefuseProgressiveClaimed12000(benchmark::State& state) { Run(state, "refuse", "progressive-claims-12000"); }
void BM_Refuse2000Scans(benchmark::State& state) { Run(state, "refuse", "2000-scans"); }

BENCHMARK(BM_DecodeEncode12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame12MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEncode24MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MPInRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MPTurned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEncode24MP422)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MP422)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MP422Turned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeEncode24MP444)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MP444)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame24MP444Turned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame149MPTurned)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseClaimed12000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseProgressiveClaimed12000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refuse2000Scans)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gSelf = std::filesystem::read_symlink("/proc/self/exe").string();
  if (argc == 4 && std::string(argv[1]) == "--peak-child") {
    QGuiApplication app(argc, argv);
    geoframe::UseAnnotationText(*geoframe_annotation_text());
    if (RunOnce(argv[2], argv[3]) == 0) return 1;
    std::printf("%ld\n", bench::PeakKilobytes());
    return 0;
  }
  QGuiApplication app(argc, argv);
  geoframe::UseAnnotationText(*geoframe_annotation_text());
  MakePhotos();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(gFolder);
  return 0;
}
