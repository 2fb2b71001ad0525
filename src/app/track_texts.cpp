#include "app/track_texts.h"

#include <cstdio>  // std::snprintf

#include "app/output_texts.h"

namespace geoframe {

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

std::string TrackLoadText(const TrackLoadOutcome& outcome) {
  if (outcome.result != TrackLoadResult::Loaded) {
    std::string text = "无法读取轨迹路径文件:\r\n" + outcome.path + "\r\n";
    if (outcome.error) text += "原因: " + FileErrorReason(*outcome.error) + "\r\n";
    if (outcome.result == TrackLoadResult::Unrepresentable) text += "原因: " + UnrepresentableNameReason() + "\r\n";
    return text + "未加载任何轨迹点。";
  }
  std::string text = "共成功加载路径轨迹点 " + std::to_string(outcome.count) + " 个!";
  if (outcome.truncated) {
    text += "\r\n轨迹点已达上限 " + std::to_string(kMaxTrackPoints) + " 个, 文件其余部分未加载。";
  }
  if (outcome.damaged) {
    text += outcome.count == 0 ? std::string("\r\nGPX 文件在第一个轨迹点之前就已损坏, 无法读取。")
                               : "\r\nGPX 文件在第 " + std::to_string(outcome.count) + " 个轨迹点之后损坏, 其余部分未加载。";
  }
  return text;
}

}  // namespace geoframe
