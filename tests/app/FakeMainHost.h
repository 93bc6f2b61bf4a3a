#pragma once
// A main window without a display: keeps what the logic sets and logs, in
// order, the calls whose order matters. AppTest is a started window.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "support/FakeMessageBox.h"

namespace brindle::test {

using Strings = std::vector<std::string>;

class FakeMainHost : public IMainHost {
 public:
  void ListAppend(int id, const std::string& text) override { lists[id].push_back(text); }
  void ListSelect(int id, int i) override {
    selected[id] = i >= 0 && i < static_cast<int>(lists[id].size()) ? i : -1;
  }
  int ListSelected(int id) override { return selected.contains(id) ? selected[id] : -1; }
  std::string ListText(int id, int i) override {
    return i >= 0 && i < static_cast<int>(lists[id].size()) ? lists[id][i] : "";
  }
  void Enable(int id, bool enable) override { disabled[id] = !enable; }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  std::string GetText(int id) override { return texts[id]; }
  void SetReadOnly(int id, bool on) override { readOnly[id] = on; }
  void Check(int id) override { checked.push_back(id); }

  void ViewSetFullRowSelect() override {}
  void ViewInsertColumn(int, const std::string&, int) override {}
  void ViewInsertRow(int row, const std::string& column0) override {
    rows.insert(rows.begin() + row, {column0, "", "", ""});
  }
  void ViewSetCell(int row, int column, const std::string& text) override {
    rows.at(row).at(column) = text;
  }
  void ViewDeleteAll() override {
    rows.clear();
    mark = -1;
  }
  int ViewSelectionMark() override { return mark; }

  void SliderSetRange(int, int maximum) override { sliderMax = maximum; }
  void SliderSetPos(int position) override { sliderPos = position; }
  int SliderPos() override { return sliderPos; }
  int SliderMax() override { return sliderMax; }

  bool ChooseLogoFile(const std::string&, std::string& path, std::string& name) override {
    ++fileDialogs;
    if (chosen.empty()) return false;
    path = chosen.front();
    chosen.pop_front();
    name = path.substr(path.rfind('/') + 1);
    return true;
  }

  // A picture loads when its path has a size in `pictureSizes`.
  bool PreviewLoad(PreviewSide side, const std::string& path) override {
    events.push_back((side == PreviewSide::Left ? "load-left " : "load-right ") + path);
    if (!pictureSizes.contains(path)) return false;
    picture[static_cast<int>(side)] = path;
    return true;
  }
  bool PreviewHasPicture(PreviewSide side) override {
    return !picture[static_cast<int>(side)].empty();
  }
  Size PreviewDisplaySize(PreviewSide side) override {
    return pictureSizes[picture[static_cast<int>(side)]];
  }
  void PreviewRefreshDisplays() override { events.push_back("refresh"); }
  void InvalidateWindow() override { events.push_back("invalidate"); }
  void PaintStretch(PreviewSide side, Rect target, Size source) override {
    stretches.push_back({side, target, source});
  }
  void PaintFill(Rect area) override { fills.push_back(area); }

  void ProgressOpen(const std::string& caption) override { events.push_back("progress " + caption); }
  void ProgressSetRange(int lo, int hi) override {
    events.push_back("range " + std::to_string(lo) + ".." + std::to_string(hi));
  }
  void ProgressSetPos(int position) override {
    events.push_back("pos " + std::to_string(position));
  }
  void ProgressClose() override { events.push_back("close"); }

  void SetIcons() override { events.push_back("icons"); }
  void RequestClose() override { events.push_back("close-request"); }
  void EndDialog(int result) override { events.push_back("end " + std::to_string(result)); }
  void ShowSplash() override { events.push_back("splash"); }
  void HideSplash() override { events.push_back("unsplash"); }
  void Wait(int ms) override { events.push_back("wait " + std::to_string(ms)); }

  MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                 MsgIcon icon) override {
    events.push_back("message " + text);
    return messages.Show(text, caption, buttons, icon);
  }

  struct Stretch {
    PreviewSide side;
    Rect target;
    Size source;
    bool operator==(const Stretch&) const = default;
  };

  std::map<int, Strings> lists;
  std::map<int, int> selected;
  std::map<int, bool> disabled, readOnly;  // controls start enabled and writable
  std::map<int, std::string> texts;
  std::vector<int> checked;
  std::vector<Strings> rows;
  int mark = -1;
  int sliderMax = 0, sliderPos = 0;
  std::deque<std::string> chosen;
  int fileDialogs = 0;
  std::map<std::string, Size> pictureSizes;
  std::string picture[2];
  std::vector<Stretch> stretches;
  std::vector<Rect> fills;
  Strings events;
  FakeMessageBox messages;
};

struct AppTest : ::testing::Test {
  FakeMainHost host;
  FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent"};
  void SetUp() override { dlg.OnInitDialog(); }
  // Adds /l/<name>, a 24-bit picture of w x h, through "Open file".
  void Open(const std::string& name, int w = 100, int h = 50) {
    ctrl.bitmaps["/l/" + name] = {24, h, w};
    host.chosen.push_back("/l/" + name);
    dlg.OnOpenFile();
  }
};

}  // namespace brindle::test
