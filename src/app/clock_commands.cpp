#include <algorithm>  // std::min
#include <optional>
#include <string>

#include "app/main_logic.h"
#include "timematch/clock_correction.h"
#include "timematch/date_time.h"

namespace geoframe {
namespace {

// Shows every photo's EXIF time again (the correction 00:00:00).
void RestoreExifTimes(MainLogic& logic, int rows) {
  for (int n = 1; n <= rows; ++n) {
    const PhotoRecord& photo = logic.Photos(n);
    if (photo.HasExifTime) logic.SetShownTime(n, photo.ExifTime);
  }
}

// Shows every photo's EXIF time shifted by the offset; always counted from the
// EXIF time, so corrections never add up. Returns how many photos kept their
// shown time because their EXIF time could not be shifted.
int ShiftExifTimes(MainLogic& logic, int rows, const std::string& offset, bool subtract) {
  int uncorrected = 0;
  for (int n = 1; n <= rows; ++n) {
    const PhotoRecord& photo = logic.Photos(n);
    if (!photo.HasExifTime) continue;
    std::optional<std::string> corrected = ShiftDateTime(photo.ExifTime, offset, subtract);
    if (corrected) {
      logic.SetShownTime(n, *corrected);
    } else {
      ++uncorrected;
    }
  }
  return uncorrected;
}

}  // namespace

void MainLogic::tz_f_Click() { toolkit_.SetText(ControlId::tz_f, toolkit_.Checked(ControlId::tz_f) ? "-" : "+"); }

void MainLogic::tzc_Click(int index) {
  if (index < 0 || index > 5) return;
  const ControlId field = TzField(ClockFieldOfButton(index));
  int value = ReadWholeNumber16(toolkit_.Text(field)).value_or(0);
  toolkit_.SetText(field, ClockFieldText(StepClockField(value, index)));
}

void MainLogic::cmd_tedit_Click() {
  int rows = std::min(toolkit_.RowCount(ListId::Photos), kMaxPhotos);
  if (rows == 0) return;
  toolkit_.SetEnabled(ControlId::tzbox, false);
  std::string hours = toolkit_.Text(TzField(0));
  std::string minutes = toolkit_.Text(TzField(1));
  std::string seconds = toolkit_.Text(TzField(2));
  if (hours == "00" && minutes == "00" && seconds == "00") {
    RestoreExifTimes(*this, rows);
  } else {
    std::string offset = hours + ":" + minutes + ":" + seconds;
    bool subtract = toolkit_.Checked(ControlId::tz_f);
    int uncorrected = ShiftExifTimes(*this, rows, offset, subtract);
    toolkit_.ShowMessage(ClockCorrectionMessage(subtract, offset, uncorrected), MessageButtons::Ok,
                         MessageIcon::Information);
  }
  toolkit_.SetEnabled(ControlId::tzbox, true);
}

}  // namespace geoframe
