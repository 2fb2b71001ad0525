#include "app/main_logic.h"

namespace geoframe {

// Not built yet.
void MainLogic::cmd_plgoto_Click() {}
void MainLogic::cmd_hdaddpl_Click() {}
void MainLogic::cmd_clrnowpl_Click() {}
void MainLogic::cmd_plclr_Click() {}
void MainLogic::wcc_Click(int) {}

}  // namespace geoframe
