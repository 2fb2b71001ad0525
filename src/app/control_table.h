#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace geoframe {

// Every control of the main window, in the order of the control table. The
// names are the controls' object names; members of a control array (tzt(0),
// tzc(3), wcc(1)) carry their index after an underscore.
enum class ControlId {
  pic_box, ListView, tpic_info, cmd_add, cmd_del, cmd_clear, tzbox, tz_f, tzt_0, tzt_1, tzt_2,
  tzc_0, tzc_1, tzc_2, tzc_3, tzc_4, tzc_5, Label4, cmd_tedit, Gps_box, ListGps, cmd_addname,
  cmd_clearname, Picture2, wct, wcc_0, wcc_1, wcc_2, wcc_3, Label1, Picture3, cmd_plclr,
  cmd_clrnowpl, cmd_hdaddpl, cmd_plgoto, picture_review, Picture1, Pictemp, Frame1, Ck_reanme,
  Op_time, Op_incre, incre_txt, Ck_frame, Label2, frame_txt, Ck_gps, Ck_time, Ck_backup, cmd_make,
  cmd_allmake, Line3, Line4, Line5, Line6, Line7, Line8, Line9, Line1, Line2, Label3, pic_info,
  sp_info, txt_info,
  Window,  // not a control: the container of the window's top-level controls
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::Window);

enum class ControlKind {
  Frame,         // a captioned group box
  Panel,         // a container without caption
  ListView,      // a report-style list view
  Button,
  ToggleButton,  // a check box drawn as a button (tz_f)
  CheckBox,
  OptionButton,  // one of a group of radio buttons
  TextBox,
  Label,
  PictureBox,    // a drawing surface or the progress strip's frame
  Rectangle,     // a filled rectangle without border (the progress bar)
  Line,          // a decoration line; its geometry is x1, y1, x2, y2
};

// Whether controls of this kind show a text (a caption, a label's text or a
// text box's contents); the others ignore text given to them.
bool HasText(ControlKind kind);

// One control of the main window as it stands at start. Geometry is in twips
// (15 to the pixel) relative to the container; an empty container is the window.
struct ControlSpec {
  ControlId id;
  std::string_view name;  // the object name
  ControlKind kind;
  ControlId container;
  std::string_view caption;  // caption, or initial text of a text box
  int left, top, width, height;
  bool enabled = true;
  bool checked = false;  // check boxes: value; option buttons: selected
  bool visible = true;
};

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 13470;
inline constexpr int kClientHeightTwips = 8310;

// Every control of the main window, containers before what they contain.
std::span<const ControlSpec> ControlTable();

// The control with that id.
const ControlSpec& Spec(ControlId id);
// The control of that object name, or nullptr.
const ControlSpec* FindControl(std::string_view name);

// Members of the control arrays: the clock fields tzt(0..2) (hours, minutes,
// seconds), their step buttons tzc(0..5) and the tolerance step buttons wcc(0..3).
ControlId TzField(int field);
ControlId TzStep(int button);
ControlId ToleranceStep(int button);

}  // namespace geoframe
