#include "app/main_logic.h"

namespace geoframe {

// Not built yet.
void MainLogic::Ck_reanme_Click() {}
void MainLogic::Ck_frame_Click() {}
void MainLogic::cmd_make_Click() {}
void MainLogic::cmd_allmake_Click() {}

}  // namespace geoframe
