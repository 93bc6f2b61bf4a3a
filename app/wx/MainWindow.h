#pragma once
// The real main window: a wxDialog built from template 102 that carries out
// what CMainDlg asks of its host and forwards the window's events to it.
#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/dialog.h>

#include <map>
#include <memory>
#include <string>

#include "app/MainDlg.h"
#include "app/MainHost.h"
#include "image/wx/PictureBitmap.h"

class wxListCtrl;
namespace brindle {
class CProgressDlg;
class CSplashScreenEx;
}
class wxSlider;

namespace brindle {

class MainWindow final : public wxDialog, public IMainHost {
 public:
  // Creates the window and its controls, hidden. RunModal runs the start-up
  // steps, shows the window and returns when the dialog ends.
  MainWindow(wxWindow* parent, const std::string& settingsDir);
  // With another job object (tests).
  MainWindow(wxWindow* parent, IUploadCtrl& uploadCtrl, const std::string& settingsDir);
  ~MainWindow() override;

  int RunModal();
  CMainDlg& logic() { return *logic_; }

  // IMainHost
  void ListAppend(int id, const std::string& text) override;
  void ListSelect(int id, int index) override;
  int ListSelected(int id) override;
  std::string ListText(int id, int index) override;
  void Enable(int id, bool enable) override;
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) override;
  void SetReadOnly(int id, bool readOnly) override;
  void Check(int id) override;
  void ViewSetFullRowSelect() override;
  void ViewInsertColumn(int column, const std::string& heading, int widthPixels) override;
  void ViewInsertRow(int row, const std::string& column0) override;
  void ViewSetCell(int row, int column, const std::string& text) override;
  void ViewDeleteAll() override;
  int ViewSelectionMark() override;
  void SliderSetRange(int minimum, int maximum) override;
  void SliderSetPos(int position) override;
  int SliderPos() override;
  int SliderMax() override;
  bool ChooseLogoFile(const std::string& filter, std::string& path, std::string& name) override;
  bool PreviewLoad(PreviewSide side, const std::string& path) override;
  bool PreviewHasPicture(PreviewSide side) override;
  Size PreviewDisplaySize(PreviewSide side) override;
  void PreviewRefreshDisplays() override;
  void InvalidateWindow() override;
  void PaintStretch(PreviewSide side, Rect target, Size source) override;
  void PaintFill(Rect area) override;
  void ProgressOpen(const std::string& caption) override;
  void ProgressSetRange(int minimum, int maximum) override;
  void ProgressSetPos(int position) override;
  void ProgressClose() override;
  void SetIcons() override;
  void RequestClose() override;
  void EndDialog(int result) override;
  void ShowSplash() override;
  void HideSplash() override;
  void Wait(int ms) override;
  MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                 MsgIcon icon) override;

 private:
  wxWindow* Control(int id) const;
  wxListCtrl* ListView() const;
  wxSlider* Slider() const;
  void BindEvents();
  void OnCharHook(wxKeyEvent& event);

  void OnPaint(wxPaintEvent& event);

  PictureBitmap& Picture(PreviewSide side);
  PictureBitmap& Display(PreviewSide side);

  // The preview pictures as loaded and their screen copies.
  PictureBitmap leftDisplay_{0xFFFFFF};
  PictureBitmap leftPicture_{0xFFFFFF};
  PictureBitmap rightDisplay_{0xFFFFFF};
  PictureBitmap rightPicture_{0xFFFFFF};
  wxDC* paintDc_ = nullptr;  // set only while the window paints
  CProgressDlg* progress_ = nullptr;  // the open progress window, if any
  void Build(IUploadCtrl& uploadCtrl, const std::string& settingsDir);

  std::unique_ptr<IUploadCtrl> ownCtrl_;  // the job object, unless one was given
  CSplashScreenEx* splash_ = nullptr;      // shown during start-up only
  std::unique_ptr<CMainDlg> logic_;
  int selectionMark_ = -1;
};

}  // namespace brindle
