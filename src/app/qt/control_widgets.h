#pragma once

#include <QFont>

#include <array>

#include "app/control_table.h"

class QTreeWidget;
class QWidget;

namespace geoframe {

// The window's controls as widgets, indexed by ControlId.
using ControlWidgets = std::array<QWidget*, kControlCount>;

// The window's face at a pixel size: the old platform's 宋体 where installed,
// else the CJK serif that Debian ships.
QFont WindowFont(int pixelSize, bool bold = false);

// Every control of the control table as a widget of its kind under its
// container (the window for the top-level ones), at its place in pixels, in
// the window's font, with the name, caption, state and visibility the table
// gives it. Captions too wide for the font at hand are condensed to fit.
ControlWidgets MakeControls(QWidget& window);

// A report-style list of three columns with their headers and widths in
// twips: whole rows selected one at a time, in the list's order.
void SetUpList(QTreeWidget* tree, const std::array<const char*, 3>& headers, const std::array<int, 3>& twips);

}  // namespace geoframe
