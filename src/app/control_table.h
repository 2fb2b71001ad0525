#pragma once

#include <span>
#include <string_view>

namespace geoframe {

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

// One control of the main window as it stands at start. Geometry is in twips
// (15 to the pixel) relative to the container; an empty container is the window.
struct ControlSpec {
  std::string_view name;
  ControlKind kind;
  std::string_view container;
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

// The control of that name, or nullptr.
const ControlSpec* FindControl(std::string_view name);

}  // namespace geoframe
