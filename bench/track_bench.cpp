// Loading track files: a full track (1999 points) as NMEA and as GPX, logs far
// larger than any track the window holds, and matching a full photo list (999
// photos) against a full track, the largest job the window's tables allow.
#include <benchmark/benchmark.h>
#include <sys/resource.h>  // getrusage

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "app/track_texts.h"
#include "track/track_file.h"

namespace geoframe {
namespace {

// "08:00:05" style parts of the UTC time i seconds after 08:00:00.
void Clock(int i, int& h, int& m, int& s) {
  const int t = 8 * 3600 + i;
  h = t / 3600 % 24;
  m = t / 60 % 60;
  s = t % 60;
}

// One $GPGGA and one $GPRMC sentence a second, CR LF, starting at
// 2010-12-06 08:00:00 UTC. The $GPRMC sentence carries its true checksum, so
// that loading pays for checking it.
std::string NmeaSecond(int i) {
  int h, m, s;
  Clock(i, h, m, s);
  char rmc[96];
  std::snprintf(rmc, sizeof rmc, "$GPRMC,%02d%02d%02d.000,A,3015.%04d,N,12030.5678,E,0.0,0.0,061210,,,A", h, m, s,
                i % 10000);
  unsigned sum = 0;
  for (const char* c = rmc + 1; *c != '\0'; ++c) sum ^= static_cast<unsigned char>(*c);
  char line[192];
  std::snprintf(line, sizeof line,
                "$GPGGA,%02d%02d%02d.000,3015.%04d,N,12030.5678,E,1,08,1.0,10.0,M,0.0,M,,*47\r\n%s*%02X\r\n", h, m,
                s, i % 10000, rmc, sum);
  return line;
}

// A track point as GPX 1.1 loggers write them.
std::string GpxSecond(int i) {
  int h, m, s;
  Clock(i, h, m, s);
  char point[256];
  std::snprintf(point, sizeof point,
                "   <trkpt lat=\"30.%09d\" lon=\"120.509463333\">\n    <ele>12.300</ele>\n"
                "    <time>2010-12-06T%02d:%02d:%02d.000Z</time>\n    <sat>9</sat>\n    <hdop>1.1</hdop>\n"
                "   </trkpt>\n",
                252056667 + i, h, m, s);
  return point;
}

std::string FullNmeaLog() {
  std::string text;
  for (int i = 0; i < kMaxTrackPoints; ++i) text += NmeaSecond(i);
  return text;
}

std::string FullGpxTrack() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
      "xmlns=\"http://www.topografix.com/GPX/1/1\">\n <trk>\n  <trkseg>\n";
  for (int i = 0; i < kMaxTrackPoints; ++i) text += GpxSecond(i);
  return text + "  </trkseg>\n </trk>\n</gpx>\n";
}

// A file in the temporary folder, removed again at the end.
class TempFile {
 public:
  explicit TempFile(const std::string& name) : path_(std::filesystem::temp_directory_path() / name) {}
  ~TempFile() { std::filesystem::remove(path_); }
  void Write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  // Writes `count` copies of the block, then the tail, without holding more.
  void WriteLarge(int count, const std::string& block, const std::string& tail) const {
    std::ofstream out(path_, std::ios::binary);
    for (int k = 0; k < count; ++k) out << block;
    out << tail;
  }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// The process's peak resident memory so far, in MB.
double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void LoadFile(benchmark::State& state, const std::string& path, std::size_t expectedPoints) {
  for (auto _ : state) {
    TrackFileContents contents = ReadTrackFile(path);
    if (contents.log.points.size() != expectedPoints) state.SkipWithError("unexpected point count");
    benchmark::DoNotOptimize(contents.log.points.data());
  }
  state.counters["peak_rss_mb"] = PeakRssMb();
}

// Run first, so that the peak memory they report is their own. A 50 MB line of
// commas, then 512 MB of sentences that give no point (the whole file is read),
// each with one point at its end.
void BM_ReadFiftyMegabyteLine(benchmark::State& state) {
  TempFile file("geoframe_track_bench_line.txt");
  const std::string commas(1 << 20, ',');
  file.WriteLarge(50, commas, "\r\n" + NmeaSecond(0));
  LoadFile(state, file.path(), 1);
}
BENCHMARK(BM_ReadFiftyMegabyteLine)->Unit(benchmark::kMillisecond);

void BM_ReadHalfGigabyteLogWithoutFix(benchmark::State& state) {
  TempFile file("geoframe_track_bench_large.txt");
  std::string block;
  while (block.size() < (1 << 20)) block += "$GPGGA,080000.000,,,,,0,00,99.9,,M,,M,,*48\r\n$GPGSV,1,1,00*79\r\n";
  file.WriteLarge(512, block, NmeaSecond(0));
  LoadFile(state, file.path(), 1);
}
BENCHMARK(BM_ReadHalfGigabyteLogWithoutFix)->Unit(benchmark::kMillisecond);

void BM_ReadNmeaTrackFile(benchmark::State& state) {
  TempFile file("geoframe_track_bench.txt");
  file.Write(FullNmeaLog());
  LoadFile(state, file.path(), kMaxTrackPoints);
}
BENCHMARK(BM_ReadNmeaTrackFile)->Unit(benchmark::kMillisecond);

void BM_ReadGpxTrackFile(benchmark::State& state) {
  TempFile file("geoframe_track_bench.gpx");
  file.Write(FullGpxTrack());
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(file.path())) / 1024.0;
  LoadFile(state, file.path(), kMaxTrackPoints);
}
BENCHMARK(BM_ReadGpxTrackFile)->Unit(benchmark::kMillisecond);

// The whole "加入..." of the track list, through the handler.
void LoadThroughWindow(benchmark::State& state, const TempFile& file) {
  const std::filesystem::path path = file.path();
  for (auto _ : state) {
    MemoryToolkit ui;
    MainLogic logic(ui);
    ui.QueueOpenFile(ChosenFiles{path.parent_path().string() + "/", {path.filename().string()}});
    logic.cmd_addname_Click();
    if (ui.RowCount(ListId::Track) != kMaxTrackPoints) state.SkipWithError("track not loaded");
  }
}

void BM_LoadTrackThroughWindow(benchmark::State& state) {
  TempFile file("geoframe_track_bench.txt");
  file.Write(FullNmeaLog());
  LoadThroughWindow(state, file);
}
BENCHMARK(BM_LoadTrackThroughWindow)->Unit(benchmark::kMillisecond);

void BM_LoadGpxTrackThroughWindow(benchmark::State& state) {
  TempFile file("geoframe_track_bench.gpx");
  file.Write(FullGpxTrack());
  LoadThroughWindow(state, file);
}
BENCHMARK(BM_LoadGpxTrackThroughWindow)->Unit(benchmark::kMillisecond);

// "自动匹配坐标" for 999 photos spread over the track's whole period.
void BM_MatchFullPhotoList(benchmark::State& state) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  TrackLog log = ParseTrackLog(FullNmeaLog());
  for (std::size_t i = 0; i < log.points.size(); ++i) {
    int n = static_cast<int>(i) + 1;
    ui.AppendRow(ListId::Track, TrackRowText(n), 0);
    logic.TrackPoints(n) = log.points[i];
  }
  for (int n = 1; n <= kMaxPhotos; ++n) {
    int t = 16 * 3600 + n * 2;  // local time, every other second
    char time[32];
    std::snprintf(time, sizeof time, "2010-12-06 %02d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
    ui.AppendRow(ListId::Photos, "p.jpg", 1);
    ui.SetSubItem(ListId::Photos, n, Column::Time, time);
    logic.Photos(n) = PhotoRecord{true, "p.jpg", "/photos/", time};
  }
  for (auto _ : state) {
    logic.cmd_plgoto_Click();
    ui.clearRecords();
  }
  if (ui.SubItem(ListId::Photos, kMaxPhotos, Column::Coordinate).empty()) state.SkipWithError("last photo not matched");
}
BENCHMARK(BM_MatchFullPhotoList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace geoframe

BENCHMARK_MAIN();
