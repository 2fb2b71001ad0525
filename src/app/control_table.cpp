#include "app/control_table.h"

#include <algorithm>
#include <array>

namespace geoframe {

namespace {

using K = ControlKind;

constexpr auto kControls = std::to_array<ControlSpec>({
    // id, name, kind, container, caption, left, top, width, height, enabled, checked, visible
    {ControlId::pic_box, "pic_box", K::Frame, ControlId::Window, "照片列表", 120, 120, 8580, 5730},
    {ControlId::ListView, "ListView", K::ListView, ControlId::pic_box, "", 120, 240, 8295, 5010},
    {ControlId::tpic_info, "tpic_info", K::Label, ControlId::pic_box, "", 150, 5205, 8175, 180},
    {ControlId::cmd_add, "cmd_add", K::Button, ControlId::pic_box, "加入...", 240, 5295, 990, 300},
    {ControlId::cmd_del, "cmd_del", K::Button, ControlId::pic_box, "移除...", 1560, 5295, 990, 300},
    {ControlId::cmd_clear, "cmd_clear", K::Button, ControlId::pic_box, "清空...", 2880, 5295, 990, 300},
    {ControlId::tzbox, "tzbox", K::Panel, ControlId::pic_box, "", 4440, 5280, 2850, 375},
    {ControlId::tz_f, "tz_f", K::ToggleButton, ControlId::tzbox, "+", 0, 0, 300, 330},
    {ControlId::tzt_0, "tzt(0)", K::TextBox, ControlId::tzbox, "00", 315, 15, 300, 315, false},
    {ControlId::tzt_1, "tzt(1)", K::TextBox, ControlId::tzbox, "00", 1140, 15, 300, 315, false},
    {ControlId::tzt_2, "tzt(2)", K::TextBox, ControlId::tzbox, "00", 1980, 15, 300, 315, false},
    {ControlId::tzc_0, "tzc(0)", K::Button, ControlId::tzbox, "+", 600, 0, 300, 180},
    {ControlId::tzc_1, "tzc(1)", K::Button, ControlId::tzbox, "+", 1440, 0, 300, 180},
    {ControlId::tzc_2, "tzc(2)", K::Button, ControlId::tzbox, "+", 2280, 0, 300, 180},
    {ControlId::tzc_3, "tzc(3)", K::Button, ControlId::tzbox, "-", 600, 150, 300, 180},
    {ControlId::tzc_4, "tzc(4)", K::Button, ControlId::tzbox, "-", 1440, 150, 300, 180},
    {ControlId::tzc_5, "tzc(5)", K::Button, ControlId::tzbox, "-", 2280, 150, 300, 180},
    {ControlId::Label4, "Label4", K::Label, ControlId::tzbox, "时      分      秒", 885, 60, 1935, 255},
    {ControlId::cmd_tedit, "cmd_tedit", K::Button, ControlId::pic_box, "修正时间", 7290, 5295, 990, 300},
    {ControlId::Gps_box, "Gps_box", K::Frame, ControlId::Window, "GPS路径", 120, 6000, 7020, 2175},
    {ControlId::ListGps, "ListGps", K::ListView, ControlId::Gps_box, "", 120, 240, 6765, 1455},
    {ControlId::cmd_addname, "cmd_addname", K::Button, ControlId::Gps_box, "加入...", 240, 1740, 990, 300},
    {ControlId::cmd_clearname, "cmd_clearname", K::Button, ControlId::Gps_box, "移除...", 1560, 1740, 990, 300},
    {ControlId::Picture2, "Picture2", K::Panel, ControlId::Gps_box, "", 4560, 1740, 2295, 375},
    {ControlId::wct, "wct", K::TextBox, ControlId::Picture2, "120", 300, 0, 390, 315, false},
    {ControlId::wcc_0, "wcc(0)", K::Button, ControlId::Picture2, "+", 0, 0, 300, 180},
    {ControlId::wcc_1, "wcc(1)", K::Button, ControlId::Picture2, "-", 0, 135, 300, 180},
    {ControlId::wcc_2, "wcc(2)", K::Button, ControlId::Picture2, "+", 930, 0, 300, 180},
    {ControlId::wcc_3, "wcc(3)", K::Button, ControlId::Picture2, "-", 930, 135, 300, 180},
    {ControlId::Label1, "Label1", K::Label, ControlId::Picture2, "秒    匹配误差", 705, 60, 1515, 255},
    {ControlId::Picture3, "Picture3", K::Panel, ControlId::Window, "", 7350, 6240, 1320, 1485},
    {ControlId::cmd_plclr, "cmd_plclr", K::Button, ControlId::Picture3, "清空坐标...", 30, 30, 1230, 300},
    {ControlId::cmd_clrnowpl, "cmd_clrnowpl", K::Button, ControlId::Picture3, "移除当前坐标", 30, 390, 1230, 300},
    {ControlId::cmd_hdaddpl, "cmd_hdaddpl", K::Button, ControlId::Picture3, "手动添加坐标", 30, 750, 1230, 300},
    {ControlId::cmd_plgoto, "cmd_plgoto", K::Button, ControlId::Picture3, "自动匹配坐标", 30, 1110, 1230, 300},
    {ControlId::picture_review, "picture_review", K::Frame, ControlId::Window, "照片预览", 8820, 120, 4515, 3600},
    {ControlId::Picture1, "Picture1", K::Panel, ControlId::picture_review, "", 120, 240, 4260, 3210},
    {ControlId::Pictemp, "Pictemp", K::PictureBox, ControlId::Picture1, "", 15, 15, 4200, 3150},
    {ControlId::Frame1, "Frame1", K::Frame, ControlId::Window, "编辑", 8820, 3840, 4515, 4095},
    {ControlId::Ck_reanme, "Ck_reanme", K::CheckBox, ControlId::Frame1, "文件名更改", 360, 360, 1215, 255},
    {ControlId::Op_time, "Op_time", K::OptionButton, ControlId::Frame1, "日期时间    格式:  YYYYMMDD_HHMMSS", 720, 720, 3495, 255,
     false, true},
    {ControlId::Op_incre, "Op_incre", K::OptionButton, ControlId::Frame1, "列表序号    前缀:", 720, 1080, 1935, 255, false},
    {ControlId::incre_txt, "incre_txt", K::TextBox, ControlId::Frame1, "", 2520, 1080, 1530, 270, false},
    {ControlId::Ck_frame, "Ck_frame", K::CheckBox, ControlId::Frame1, "加边框并压缩", 360, 1560, 1575, 255},
    {ControlId::Label2, "Label2", K::Label, ControlId::Frame1, "前注释:", 720, 1950, 735, 255, false},
    {ControlId::frame_txt, "frame_txt", K::TextBox, ControlId::Frame1, "", 1440, 1920, 2610, 270, false},
    {ControlId::Ck_gps, "Ck_gps", K::CheckBox, ControlId::Frame1, "地理信息(经纬度)", 720, 2340, 1815, 255, false},
    {ControlId::Ck_time, "Ck_time", K::CheckBox, ControlId::Frame1, "日期时间  格式:YYYY-MM-DD HH:MM:SS", 720, 2730, 3375, 255,
     false, true},
    {ControlId::Ck_backup, "Ck_backup", K::CheckBox, ControlId::Frame1, "备份源文件  ...\\backup\\", 360, 3210, 2535, 255, true,
     true},
    {ControlId::cmd_make, "cmd_make", K::Button, ControlId::Frame1, "执行", 1440, 3660, 1230, 300},
    {ControlId::cmd_allmake, "cmd_allmake", K::Button, ControlId::Frame1, "批量执行", 3000, 3660, 1230, 300},
    {ControlId::Line3, "Line3", K::Line, ControlId::Frame1, "", 450, 600, 450, 1200},
    {ControlId::Line4, "Line4", K::Line, ControlId::Frame1, "", 450, 1800, 450, 2850},
    {ControlId::Line5, "Line5", K::Line, ControlId::Frame1, "", 450, 840, 690, 840},
    {ControlId::Line6, "Line6", K::Line, ControlId::Frame1, "", 450, 1200, 690, 1200},
    {ControlId::Line7, "Line7", K::Line, ControlId::Frame1, "", 450, 2040, 690, 2040},
    {ControlId::Line8, "Line8", K::Line, ControlId::Frame1, "", 450, 2460, 690, 2460},
    {ControlId::Line9, "Line9", K::Line, ControlId::Frame1, "", 450, 2850, 690, 2850},
    {ControlId::Line1, "Line1", K::Line, ControlId::Window, "", 8400, 5760, 8400, 7920},
    {ControlId::Line2, "Line2", K::Line, ControlId::Window, "", 8400, 7980, 6960, 7980},
    {ControlId::Label3, "Label3", K::Label, ControlId::Window, "-> -> -> ->", 7290, 7905, 1215, 255},
    // The progress strip lies across the photo list and is hidden until used.
    {ControlId::pic_info, "pic_info", K::PictureBox, ControlId::Window, "", 1440, 2640, 6000, 330, true, false, false},
    {ControlId::sp_info, "sp_info", K::Rectangle, ControlId::pic_info, "", 0, 0, 2895, 330},
    {ControlId::txt_info, "txt_info", K::Label, ControlId::pic_info, "", 480, 15, 4815, 255},
});

// Row i of the table is the control with id i, so that a lookup by id is an index.
constexpr bool IdsInTableOrder() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (static_cast<std::size_t>(kControls[i].id) != i) return false;
  }
  return kControls.size() == kControlCount;
}
static_assert(IdsInTableOrder(), "the control table lists the controls in the order of ControlId");

}  // namespace

std::span<const ControlSpec> ControlTable() { return kControls; }

bool HasText(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
    case ControlKind::Button:
    case ControlKind::ToggleButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::TextBox:
    case ControlKind::Label: return true;
    default: return false;
  }
}

const ControlSpec& Spec(ControlId id) { return kControls[static_cast<std::size_t>(id)]; }

const ControlSpec* FindControl(std::string_view name) {
  auto it = std::find_if(kControls.begin(), kControls.end(),
                         [name](const ControlSpec& c) { return c.name == name; });
  return it == kControls.end() ? nullptr : &*it;
}

ControlId TzField(int field) { return static_cast<ControlId>(static_cast<int>(ControlId::tzt_0) + field); }
ControlId TzStep(int button) { return static_cast<ControlId>(static_cast<int>(ControlId::tzc_0) + button); }
ControlId ToleranceStep(int button) { return static_cast<ControlId>(static_cast<int>(ControlId::wcc_0) + button); }

}  // namespace geoframe
