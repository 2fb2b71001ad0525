#include "timematch/clock_correction.h"

#include <cstdio>  // std::snprintf

namespace geoframe {

int ClockFieldOfButton(int button) { return button % 3; }

int StepClockField(int value, int button) {
  const int maximum = ClockFieldOfButton(button) == 0 ? 23 : 59;
  if (button < 3) return value < maximum ? value + 1 : 0;
  return value > 0 ? value - 1 : maximum;
}

std::string ClockFieldText(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string ClockCorrectionMessage(bool subtract, std::string_view offset, int uncorrected) {
  std::string text = "修正相机时间: ";
  text += subtract ? "-" : "+";
  text += offset;
  if (uncorrected > 0) {
    text += "\r\n有 " + std::to_string(uncorrected) + " 张照片的拍摄时间无效, 未能修正。";
  }
  return text;
}

}  // namespace geoframe
