#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/control_table.h"
#include "output/image.h"

namespace geoframe {

// The two report-style list views of the window.
enum class ListId {
  Photos,  // ListView
  Track,   // ListGps
};

// The sub-item columns of both lists (sub-items 1 and 2; the row text is column 0).
enum class Column {
  Time = 1,        // the photo's shown time, the track point's local time
  Coordinate = 2,  // the coordinate text, or empty
};

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { Information, Question };
enum class Answer { Yes, No };  // an OK button answers Yes
// What the user asked of a long operation, weakest first: nothing, to stop it
// (Escape), or to stop it and close the window (a close request).
enum class Interruption { None, Escape, Close };

// One entry of the open-file dialog's file type list.
struct FileFilter {
  std::string description;            // e.g. "照片文件(*.JPG)"
  std::vector<std::string> patterns;  // e.g. {"*.jpg"}; matched in any letter case
  bool operator==(const FileFilter&) const = default;
};

// What the open-file dialog shows.
struct OpenFileRequest {
  std::string title;
  std::vector<FileFilter> filters;  // in the dialog's order; the first is selected
  bool multiSelect = false;
};

// What the user chose: the folder with a trailing separator, and the names in
// dialog order, as bytes.
struct ChosenFiles {
  std::string folder;
  std::vector<std::string> names;
  // Chosen names the dialog could show but not give: their bytes (or their
  // folder's) are not UTF-8, and the text it shows, U+FFFD in their place,
  // names another file or none. Display texts, in dialog order.
  std::vector<std::string> unrepresentable = {};
};

// The operations the window's logic performs on its controls. Rows are numbered
// from 1; controls are named by their ids in the control table.
// The Qt window implements it, and MemoryToolkit keeps everything in memory for
// tests and the command-line front end.
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Report-style list views.
  virtual int RowCount(ListId list) const = 0;
  // Appends a row; icon is 1 or 2 (ImageList1) for the photo list, 0 for none.
  virtual void AppendRow(ListId list, const std::string& text, int icon) = 0;
  virtual std::string RowText(ListId list, int row) const = 0;
  virtual void SetRowText(ListId list, int row, const std::string& text) = 0;
  // The sub-items beside the row text; an unset sub-item reads as the empty text.
  virtual std::string SubItem(ListId list, int row, Column column) const = 0;
  virtual void SetSubItem(ListId list, int row, Column column, const std::string& text) = 0;
  // The selected row, 0 when none is selected.
  virtual int SelectedRow(ListId list) const = 0;
  // Selects the row (and makes it the current one); 0 selects none.
  virtual void SelectRow(ListId list, int row) = 0;
  virtual void RemoveRow(ListId list, int row) = 0;
  virtual void ClearRows(ListId list) = 0;
  virtual void SetRowToolTip(ListId list, int row, const std::string& text) = 0;

  // A message box titled "系统"; line breaks inside the text are CR LF.
  virtual Answer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon) = 0;
  // The open-file dialog; nothing on Cancel.
  virtual std::optional<ChosenFiles> ShowOpenFile(const OpenFileRequest& request) = 0;

  // Captions of frames, labels, buttons and check boxes, and texts of text boxes.
  virtual std::string Text(ControlId control) const = 0;
  virtual void SetText(ControlId control, const std::string& text) = 0;
  // Check box value (checked) or option button selection (selected).
  virtual bool Checked(ControlId control) const = 0;
  virtual void SetChecked(ControlId control, bool checked) = 0;
  virtual bool Enabled(ControlId control) const = 0;
  virtual void SetEnabled(ControlId control, bool enabled) = 0;
  virtual bool Visible(ControlId control) const = 0;
  virtual void SetVisible(ControlId control, bool visible) = 0;
  // Width in twips (the progress bar sp_info).
  virtual int WidthTwips(ControlId control) const = 0;
  virtual void SetWidthTwips(ControlId control, int twips) = 0;
  // Paints the control now, so that it shows its state during a long loop that
  // does not return to the event loop.
  virtual void RepaintNow(ControlId control) = 0;

  // A long operation (the batch) runs between BeginBusy and EndBusy: the window
  // keeps painting and can be moved and uncovered, while clicks and keys on
  // its controls are ignored and it does not close; Escape on it and a
  // request to close it are noted for KeepAlive.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // Lets the window handle what waited (painting, moves, uncovering) during a
  // long operation; the strongest interruption asked since the last call.
  virtual Interruption KeepAlive() = 0;
  // Closes the window, as a close request outside a long operation does.
  virtual void CloseWindow() = 0;

  // The preview surface Pictemp (280 x 210 pixels). A toolkit without a
  // screen to show it on is handed no pictures, which spares decoding them.
  virtual bool ShowsPictures() const = 0;
  virtual void ClearPreview() = 0;
  // Draws the picture stretched smoothly into the rectangle (pixels, relative to
  // the surface; it may reach outside and is clipped there).
  virtual void DrawPreview(const RgbImage& picture, int left, int top, int width, int height) = 0;
  // Writes the text in the middle of the surface: why no picture is shown.
  virtual void DrawPreviewText(const std::string& text) = 0;
};

}  // namespace geoframe
