// Loading a full track log (1999 points) and matching a full photo list (999
// photos) against it, the largest job the window's tables allow.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_logic.h"
#include "app/memory_toolkit.h"
#include "track/track_log.h"

namespace geoframe {
namespace {

// A CR LF log with one $GPRMC and one $GPGGA sentence per second, starting at
// 2010-12-06 08:00:00 UTC.
std::string FullTrackLog() {
  std::string text;
  for (int i = 0; i < kMaxTrackPoints; ++i) {
    int t = 8 * 3600 + i;
    char line[160];
    std::snprintf(line, sizeof line,
                  "$GPGGA,%02d%02d%02d.000,3015.%04d,N,12030.5678,E,1,08,1.0,10.0,M,0.0,M,,*47\r\n"
                  "$GPRMC,%02d%02d%02d.000,A,3015.%04d,N,12030.5678,E,0.0,0.0,061210,,,A*6C\r\n",
                  t / 3600, t / 60 % 60, t % 60, i, t / 3600, t / 60 % 60, t % 60, i);
    text += line;
  }
  return text;
}

std::filesystem::path WriteLogFile() {
  std::filesystem::path path = std::filesystem::temp_directory_path() / "geoframe_track_bench.txt";
  std::ofstream(path, std::ios::binary) << FullTrackLog();
  return path;
}

void BM_ParseTrackLogFile(benchmark::State& state) {
  std::filesystem::path path = WriteLogFile();
  for (auto _ : state) {
    std::optional<std::string> bytes = ReadTrackFile(path.string());
    TrackLog log = ParseTrackLog(*bytes);
    benchmark::DoNotOptimize(log.points.data());
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_ParseTrackLogFile)->Unit(benchmark::kMillisecond);

// The whole "加入..." of the track list, through the handler.
void BM_LoadTrackThroughWindow(benchmark::State& state) {
  std::filesystem::path path = WriteLogFile();
  for (auto _ : state) {
    MemoryToolkit ui;
    MainLogic logic(ui);
    ui.QueueOpenFile(ChosenFiles{path.parent_path().string() + "/", {path.filename().string()}});
    logic.cmd_addname_Click();
    if (ui.RowCount(ListId::Track) != kMaxTrackPoints) state.SkipWithError("track not loaded");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadTrackThroughWindow)->Unit(benchmark::kMillisecond);

// "自动匹配坐标" for 999 photos spread over the track's whole period.
void BM_MatchFullPhotoList(benchmark::State& state) {
  MemoryToolkit ui;
  MainLogic logic(ui);
  TrackLog log = ParseTrackLog(FullTrackLog());
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
