#include "app/main_logic.h"

namespace geoframe {

// Not built yet.
void MainLogic::cmd_add_Click() {}
void MainLogic::cmd_del_Click() {}
void MainLogic::cmd_clear_Click() {}
void MainLogic::ListView_ItemClick(int) {}

}  // namespace geoframe
