#include "app/clock_commands.h"

#include <algorithm>  // std::min
#include <optional>

#include "timematch/date_time.h"

namespace geoframe {

namespace {

// The offset the sign toggle and the three fields show.
ClockOffset OffsetInFields(const Toolkit& ui) {
  ClockOffset offset;
  offset.subtract = ui.Checked(ControlId::tz_f);
  offset.hours = ReadWholeNumber16(ui.Text(TzField(0))).value_or(0);
  offset.minutes = ReadWholeNumber16(ui.Text(TzField(1))).value_or(0);
  offset.seconds = ReadWholeNumber16(ui.Text(TzField(2))).value_or(0);
  return offset;
}

}  // namespace

ClockCorrectionResult CorrectPhotoTimes(MainLogic& logic, const ClockOffset& offset) {
  ClockCorrectionResult result{offset, offset.IsZero(), 0};
  const int rows = std::min(logic.toolkit().RowCount(ListId::Photos), kMaxPhotos);
  for (int n = 1; n <= rows; ++n) {
    const PhotoRecord& photo = logic.Photos(n);
    if (!photo.HasExifTime) continue;
    if (result.restored) {
      logic.SetShownTime(n, photo.ExifTime);
      continue;
    }
    std::optional<std::string> corrected = ShiftDateTime(photo.ExifTime, offset.Text(), offset.subtract);
    if (corrected) {
      logic.SetShownTime(n, *corrected);
    } else {
      ++result.uncorrected;
    }
  }
  return result;
}

std::string ClockCorrectionText(const ClockCorrectionResult& result) {
  if (result.restored) return {};
  std::string text = "修正相机时间: ";
  text += result.offset.subtract ? "-" : "+";
  text += result.offset.Text();
  if (result.uncorrected > 0) {
    text += "\r\n有 " + std::to_string(result.uncorrected) + " 张照片的拍摄时间无效, 未能修正。";
  }
  return text;
}

void MainLogic::tz_f_Click() { toolkit_.SetText(ControlId::tz_f, toolkit_.Checked(ControlId::tz_f) ? "-" : "+"); }

void MainLogic::tzc_Click(int index) {
  if (index < 0 || index > 5) return;
  const ControlId field = TzField(ClockFieldOfButton(index));
  int value = ReadWholeNumber16(toolkit_.Text(field)).value_or(0);
  toolkit_.SetText(field, ClockFieldText(StepClockField(value, index)));
}

void MainLogic::cmd_tedit_Click() {
  if (toolkit_.RowCount(ListId::Photos) == 0) return;
  toolkit_.SetEnabled(ControlId::tzbox, false);
  const ClockCorrectionResult result = CorrectPhotoTimes(*this, OffsetInFields(toolkit_));
  if (!result.restored) {
    toolkit_.ShowMessage(ClockCorrectionText(result), MessageButtons::Ok, MessageIcon::Information);
  }
  toolkit_.SetEnabled(ControlId::tzbox, true);
}

}  // namespace geoframe
