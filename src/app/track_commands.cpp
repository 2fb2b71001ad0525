#include "app/main_logic.h"

namespace geoframe {

// Not built yet.
void MainLogic::cmd_addname_Click() {}
void MainLogic::cmd_clearname_Click() {}

}  // namespace geoframe
