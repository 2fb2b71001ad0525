#include "track/track_log.h"

#include <cstdio>  // std::fopen, std::fread, std::snprintf
#include <memory>  // std::unique_ptr

#include "timematch/date_time.h"
#include "track/gps_line.h"

namespace geoframe {

TrackLog ParseTrackLog(std::string_view text, std::size_t maxPoints) {
  TrackLog log;
  ForEachLine(text, [&](std::string_view line) {
    if (log.truncated) return;
    TrackPoint point = ParseGpsLine(line);
    if (point.Coordinate.empty()) return;
    if (!log.points.empty()) {
      std::optional<std::int32_t> elapsed = SecondsBetween(log.points.front().PointTime, point.PointTime);
      if (!elapsed) return;
      point.ElapsedSeconds = *elapsed;
    }
    if (log.points.size() >= maxPoints) {
      log.truncated = true;
      return;
    }
    log.points.push_back(std::move(point));
  });
  return log;
}

std::optional<std::string> ReadTrackFile(const std::string& path) {
  // C stdio rather than a stream: ferror tells a failed read from the end of the
  // file, which an ifstream reports alike.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

std::string TrackRowText(int row) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", row);
  return std::string("记录") + digits;
}

std::string TrackBoxCaption(const std::vector<TrackPoint>& points) {
  if (points.empty()) return "GPS路径";
  return "GPS路径 " + std::to_string(points.size()) + "个轨迹点 (" + points.front().PointTime + " 到 " +
         points.back().PointTime + ")";
}

std::string TrackLoadedMessage(std::size_t count, bool truncated) {
  std::string text = std::string(kTrackLoadedLead) + std::to_string(count) + " 个!";
  if (truncated) {
    text += "\r\n轨迹点已达上限 " + std::to_string(kMaxTrackPoints) + " 个, 文件其余部分未加载。";
  }
  return text;
}

std::string TrackUnreadableMessage(const std::string& path) {
  return "无法读取轨迹路径文件:\r\n" + path + "\r\n未加载任何轨迹点。";
}

}  // namespace geoframe
