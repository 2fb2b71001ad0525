#pragma once

#include <optional>
#include <vector>

#include "app/main_logic.h"
#include "output/edit_photo.h"

namespace geoframe {

// What "批量执行" does: every photo of the list in list order, the progress
// strip, the preview of row 1 and the completion message. Returns each row's
// outcome in row order; nothing when the list is empty or the options were
// refused (a message then said why).
std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic);

}  // namespace geoframe
