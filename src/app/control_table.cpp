#include "app/control_table.h"

#include <algorithm>
#include <array>

namespace geoframe {

namespace {

using K = ControlKind;

constexpr auto kControls = std::to_array<ControlSpec>({
    // name, kind, container, caption, left, top, width, height, enabled, checked, visible
    {"pic_box", K::Frame, "", "照片列表", 120, 120, 8580, 5730},
    {"ListView", K::ListView, "pic_box", "", 120, 240, 8295, 5010},
    {"tpic_info", K::Label, "pic_box", "", 150, 5205, 8175, 180},
    {"cmd_add", K::Button, "pic_box", "加入...", 240, 5295, 990, 300},
    {"cmd_del", K::Button, "pic_box", "移除...", 1560, 5295, 990, 300},
    {"cmd_clear", K::Button, "pic_box", "清空...", 2880, 5295, 990, 300},
    {"tzbox", K::Panel, "pic_box", "", 4440, 5280, 2850, 375},
    {"tz_f", K::ToggleButton, "tzbox", "+", 0, 0, 300, 330},
    {"tzt(0)", K::TextBox, "tzbox", "00", 315, 15, 300, 315, false},
    {"tzt(1)", K::TextBox, "tzbox", "00", 1140, 15, 300, 315, false},
    {"tzt(2)", K::TextBox, "tzbox", "00", 1980, 15, 300, 315, false},
    {"tzc(0)", K::Button, "tzbox", "+", 600, 0, 300, 180},
    {"tzc(1)", K::Button, "tzbox", "+", 1440, 0, 300, 180},
    {"tzc(2)", K::Button, "tzbox", "+", 2280, 0, 300, 180},
    {"tzc(3)", K::Button, "tzbox", "-", 600, 150, 300, 180},
    {"tzc(4)", K::Button, "tzbox", "-", 1440, 150, 300, 180},
    {"tzc(5)", K::Button, "tzbox", "-", 2280, 150, 300, 180},
    {"Label4", K::Label, "tzbox", "时      分      秒", 885, 60, 1935, 255},
    {"cmd_tedit", K::Button, "pic_box", "修正时间", 7290, 5295, 990, 300},
    {"Gps_box", K::Frame, "", "GPS路径", 120, 6000, 7020, 2175},
    {"ListGps", K::ListView, "Gps_box", "", 120, 240, 6765, 1455},
    {"cmd_addname", K::Button, "Gps_box", "加入...", 240, 1740, 990, 300},
    {"cmd_clearname", K::Button, "Gps_box", "移除...", 1560, 1740, 990, 300},
    {"Picture2", K::Panel, "Gps_box", "", 4560, 1740, 2295, 375},
    {"wct", K::TextBox, "Picture2", "120", 300, 0, 390, 315, false},
    {"wcc(0)", K::Button, "Picture2", "+", 0, 0, 300, 180},
    {"wcc(1)", K::Button, "Picture2", "-", 0, 135, 300, 180},
    {"wcc(2)", K::Button, "Picture2", "+", 930, 0, 300, 180},
    {"wcc(3)", K::Button, "Picture2", "-", 930, 135, 300, 180},
    {"Label1", K::Label, "Picture2", "秒    匹配误差", 705, 60, 1515, 255},
    {"Picture3", K::Panel, "", "", 7350, 6240, 1320, 1485},
    {"cmd_plclr", K::Button, "Picture3", "清空坐标...", 30, 30, 1230, 300},
    {"cmd_clrnowpl", K::Button, "Picture3", "移除当前坐标", 30, 390, 1230, 300},
    {"cmd_hdaddpl", K::Button, "Picture3", "手动添加坐标", 30, 750, 1230, 300},
    {"cmd_plgoto", K::Button, "Picture3", "自动匹配坐标", 30, 1110, 1230, 300},
    {"picture_review", K::Frame, "", "照片预览", 8820, 120, 4515, 3600},
    {"Picture1", K::Panel, "picture_review", "", 120, 240, 4260, 3210},
    {"Pictemp", K::PictureBox, "Picture1", "", 15, 15, 4200, 3150},
    {"Frame1", K::Frame, "", "编辑", 8820, 3840, 4515, 4095},
    {"Ck_reanme", K::CheckBox, "Frame1", "文件名更改", 360, 360, 1215, 255},
    {"Op_time", K::OptionButton, "Frame1", "日期时间    格式:  YYYYMMDD_HHMMSS", 720, 720, 3495, 255,
     false, true},
    {"Op_incre", K::OptionButton, "Frame1", "列表序号    前缀:", 720, 1080, 1935, 255, false},
    {"incre_txt", K::TextBox, "Frame1", "", 2520, 1080, 1530, 270, false},
    {"Ck_frame", K::CheckBox, "Frame1", "加边框并压缩", 360, 1560, 1575, 255},
    {"Label2", K::Label, "Frame1", "前注释:", 720, 1950, 735, 255, false},
    {"frame_txt", K::TextBox, "Frame1", "", 1440, 1920, 2610, 270, false},
    {"Ck_gps", K::CheckBox, "Frame1", "地理信息(经纬度)", 720, 2340, 1815, 255, false},
    {"Ck_time", K::CheckBox, "Frame1", "日期时间  格式:YYYY-MM-DD HH:MM:SS", 720, 2730, 3375, 255,
     false, true},
    {"Ck_backup", K::CheckBox, "Frame1", "备份源文件  ...\\backup\\", 360, 3210, 2535, 255, true,
     true},
    {"cmd_make", K::Button, "Frame1", "执行", 1440, 3660, 1230, 300},
    {"cmd_allmake", K::Button, "Frame1", "批量执行", 3000, 3660, 1230, 300},
    {"Line3", K::Line, "Frame1", "", 450, 600, 450, 1200},
    {"Line4", K::Line, "Frame1", "", 450, 1800, 450, 2850},
    {"Line5", K::Line, "Frame1", "", 450, 840, 690, 840},
    {"Line6", K::Line, "Frame1", "", 450, 1200, 690, 1200},
    {"Line7", K::Line, "Frame1", "", 450, 2040, 690, 2040},
    {"Line8", K::Line, "Frame1", "", 450, 2460, 690, 2460},
    {"Line9", K::Line, "Frame1", "", 450, 2850, 690, 2850},
    {"Line1", K::Line, "", "", 8400, 5760, 8400, 7920},
    {"Line2", K::Line, "", "", 8400, 7980, 6960, 7980},
    {"Label3", K::Label, "", "-> -> -> ->", 7290, 7905, 1215, 255},
    // The progress strip lies across the photo list and is hidden until used.
    {"pic_info", K::PictureBox, "", "", 1440, 2640, 6000, 330, true, false, false},
    {"sp_info", K::Rectangle, "pic_info", "", 0, 0, 2895, 330},
    {"txt_info", K::Label, "pic_info", "", 480, 15, 4815, 255},
});

}  // namespace

std::span<const ControlSpec> ControlTable() { return kControls; }

const ControlSpec* FindControl(std::string_view name) {
  auto it = std::find_if(kControls.begin(), kControls.end(),
                         [name](const ControlSpec& c) { return c.name == name; });
  return it == kControls.end() ? nullptr : &*it;
}

}  // namespace geoframe
