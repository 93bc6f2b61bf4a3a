#pragma once
// Everything the main window's logic needs of the platform's controls.
// The wxWidgets window implements it; tests implement it with a fake that
// records every call. Controls are addressed by their ids (res/ControlIds.h).
#include <string>

#include "app/PreviewGeometry.h"
#include "core/MessageBox.h"

namespace brindle {

enum class PreviewSide { Left, Right };

class IMainHost : public IMessageBox {
 public:
  // Drop-down lists. ListSelected gives -1 when nothing is selected;
  // ListText gives the empty text for an index that does not exist.
  virtual void ListAppend(int id, const std::string& text) = 0;
  virtual void ListSelect(int id, int index) = 0;
  virtual int ListSelected(int id) = 0;
  virtual std::string ListText(int id, int index) = 0;

  // Any control.
  virtual void Enable(int id, bool enable) = 0;

  // Edit fields and read-only texts.
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string GetText(int id) = 0;
  virtual void SetReadOnly(int id, bool readOnly) = 0;

  // Radio buttons: mark as selected.
  virtual void Check(int id) = 0;

  // The logo list view (report mode, single selection, left-aligned columns).
  virtual void ViewSetFullRowSelect() = 0;
  virtual void ViewInsertColumn(int column, const std::string& heading, int widthPixels) = 0;
  virtual void ViewInsertRow(int row, const std::string& column0) = 0;
  virtual void ViewSetCell(int row, int column, const std::string& text) = 0;
  // Deleting all rows also clears the selection mark.
  virtual void ViewDeleteAll() = 0;
  // The row that last received the selection, -1 when none.
  virtual int ViewSelectionMark() = 0;

  // The level slider.
  virtual void SliderSetRange(int minimum, int maximum) = 0;
  virtual void SliderSetPos(int position) = 0;
  virtual int SliderPos() = 0;
  virtual int SliderMax() = 0;

  // The open-file dialog for one logo file, offering the filters of
  // `filter` ("description|patterns|description|patterns...", the first
  // chosen). False when the user cancels; otherwise the full path and the
  // file name with its extension.
  virtual bool ChooseLogoFile(const std::string& filter, std::string& path,
                              std::string& name) = 0;

  // The preview pictures. PreviewLoad loads a file into a new picture and,
  // only when that succeeds, replaces the side's picture and its screen
  // copy. PreviewRefreshDisplays rebuilds both screen copies from the
  // pictures; InvalidateWindow asks for a repaint without erasing.
  virtual bool PreviewLoad(PreviewSide side, const std::string& path) = 0;
  virtual bool PreviewHasPicture(PreviewSide side) = 0;
  virtual Size PreviewDisplaySize(PreviewSide side) = 0;
  virtual void PreviewRefreshDisplays() = 0;
  virtual void InvalidateWindow() = 0;
  // Only while the window paints: stretch the top-left `source` part of a
  // side's screen copy onto `target`, and fill with the button-face colour.
  virtual void PaintStretch(PreviewSide side, Rect target, Size source) = 0;
  virtual void PaintFill(Rect area) = 0;

  // The progress window (template 133), owned by the main window. Open
  // creates it hidden, positions it, sets the caption and shows it; Close
  // sends it the close request, which ends and releases it.
  virtual void ProgressOpen(const std::string& caption) = 0;
  virtual void ProgressSetRange(int minimum, int maximum) = 0;
  virtual void ProgressSetPos(int position) = 0;
  virtual void ProgressClose() = 0;

  // The window itself.
  virtual void SetIcons() = 0;
  // Sends the window its own close request (which runs OnClose).
  virtual void RequestClose() = 0;
  // Ends the modal dialog with the given result; the window closes.
  virtual void EndDialog(int result) = 0;

  // The splash picture shown during start-up: show runs its fade-in and
  // returns when it is fully shown; hide fades it out and destroys it.
  virtual void ShowSplash() = 0;
  virtual void HideSplash() = 0;

  // A blocking wait on the user-interface thread.
  virtual void Wait(int ms) = 0;
};

// Results of EndDialog.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

}  // namespace brindle
