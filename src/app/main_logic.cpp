#include "app/main_logic.h"

namespace geoframe {

MainLogic::MainLogic(Toolkit& toolkit, FileSystem& fileSystem)
    : toolkit_(toolkit), fileSystem_(fileSystem) {}

void MainLogic::ShowProgress(const std::string& caption, std::int32_t current, std::int32_t total) {
  if (caption.empty()) {
    toolkit_.SetVisible(ControlId::pic_info, false);
    toolkit_.RepaintNow(ControlId::pic_info);
    return;
  }
  toolkit_.SetVisible(ControlId::pic_info, true);
  if (total != 0) {
    // 64-bit product: current x 100 must not overflow for large counts.
    auto percent = static_cast<std::int32_t>(static_cast<std::int64_t>(current) * 100 / total);
    toolkit_.SetText(ControlId::txt_info, caption + " " + std::to_string(percent) + "%");
    toolkit_.SetWidthTwips(ControlId::sp_info, percent * 60);
  }
  toolkit_.RepaintNow(ControlId::pic_info);
}

}  // namespace geoframe
