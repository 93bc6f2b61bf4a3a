#pragma once
// The real main window: a wxDialog built from template 102 that carries out
// what CMainDlg asks of its host and forwards the window's events to it.
#include <wx/dialog.h>

#include <map>
#include <memory>
#include <string>

#include "app/MainDlg.h"
#include "app/MainHost.h"

class wxListCtrl;
class wxSlider;

namespace brindle {

class MainWindow final : public wxDialog, public IMainHost {
 public:
  // Creates the window and its controls, hidden. RunModal runs the start-up
  // steps, shows the window and returns when the dialog ends.
  MainWindow(wxWindow* parent, const std::string& settingsDir);
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

  std::unique_ptr<CMainDlg> logic_;
  int selectionMark_ = -1;
};

}  // namespace brindle
