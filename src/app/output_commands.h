#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "app/main_logic.h"
#include "output/edit_photo.h"

namespace geoframe {

// What "批量执行" does: every photo of the list in list order, the progress
// strip, the preview of row 1 and the completion message. Returns each row's
// outcome in row order; nothing when the list is empty or the options were
// refused (a message then said why). `onPhoto` hears of each photo as it is
// done (row, row count, outcome), e.g. for a command line's progress.
using PhotoDoneFn = std::function<void(int row, int rows, const PhotoOutcome& outcome)>;
std::optional<std::vector<PhotoOutcome>> EditAllPhotos(MainLogic& logic, const PhotoDoneFn& onPhoto = {});

}  // namespace geoframe
