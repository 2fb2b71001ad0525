#include "app/main_logic.h"

namespace geoframe {

// Not built yet.
void MainLogic::tz_f_Click() {}
void MainLogic::cmd_tedit_Click() {}
void MainLogic::tzc_Click(int) {}

}  // namespace geoframe
