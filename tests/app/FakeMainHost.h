#pragma once
// A main window without a display: it keeps what the logic sets and logs, in
// order, the calls that matter. AppTest is a started window.
#include <gtest/gtest.h>

#include <deque>

#include "app/FakeUploadCtrl.h"
#include "app/MainDlg.h"
#include "res/ControlIds.h"
#include "support/FakeMessageBox.h"

namespace brindle::test {


// A box as the app shows it: a question asks Yes or No, the rest OK.
inline ShownMessage Box(const string& text, const string& caption, MsgIcon icon) {
  return {text, caption, icon == MsgIcon::Question ? MsgButtons::YesNo : MsgButtons::Ok, icon};
}

// Pictures load when `sizes` holds their path. Controls start enabled.
struct FakeMainHost : IMainHost, Logger {
  void ListAppend(int id, const string& text) override { lists[id].push_back(text); }
  void ListSelect(int id, int i) override { selected[id] = ListText(id, i).empty() ? -1 : i; }
  int ListSelected(int id) override { return selected.contains(id) ? selected[id] : -1; }
  string ListText(int id, int i) override {
    return i >= 0 && i < static_cast<int>(lists[id].size()) ? lists[id][i] : "";
  }
  void Enable(int id, bool on) override { disabled[id] = !on; }
  void SetText(int id, const string& text) override { texts[id] = text; }
  string GetText(int id) override { return texts[id]; }
  void SetReadOnly(int id, bool on) override { readOnly[id] = on; }
  void Check(int id) override { checked.push_back(id); }
  void ViewSetFullRowSelect() override {}
  void ViewInsertColumn(int, const string&, int) override {}
  void ViewInsertRow(int i, const string& s) override {
    rows.insert(rows.begin() + i, {s, "", "", ""});
  }
  void ViewSetCell(int i, int column, const string& s) override { rows.at(i).at(column) = s; }
  void ViewDeleteAll() override { rows.clear(), mark = -1; }
  int ViewSelectionMark() override { return mark; }
  void SliderSetRange(int, int max) override { sliderMax = max; }
  void SliderSetPos(int pos) override { sliderPos = pos; }
  int SliderPos() override { return sliderPos; }
  int SliderMax() override { return sliderMax; }
  bool ChooseLogoFile(const string& filters, string& path, string& name) override {
    filter = filters;
    Log("dialog");
    if (chosen.empty()) return false;
    path = chosen.front();
    chosen.pop_front();
    name = path.substr(path.rfind('/') + 1);
    return true;
  }
  bool PreviewLoad(PreviewSide side, const string& path) override {
    Log("load", int(side), path);
    return sizes.contains(path) && (picture[int(side)] = path, true);
  }
  bool PreviewHasPicture(PreviewSide side) override { return !picture[int(side)].empty(); }
  Size PreviewDisplaySize(PreviewSide side) override { return sizes[picture[int(side)]]; }
  void PreviewRefreshDisplays() override { Log("refresh"); }
  void InvalidateWindow() override { Log("invalidate"); }
  void PaintStretch(PreviewSide side, Rect r, Size s) override {
    Log("stretch", int(side), r.left, r.top, r.right, r.bottom, s.width, s.height);
  }
  void PaintFill(Rect r) override { Log("fill", r.left, r.top, r.right, r.bottom); }
  void ProgressOpen(const string& caption) override { Log("progress", caption); }
  void ProgressSetRange(int lo, int hi) override { Log("range", lo, hi); }
  void ProgressSetPos(int pos) override { Log("pos", pos); }
  void ProgressClose() override { Log("close"); }
  void SetIcons() override { Log("icons"); }
  void RequestClose() override { Log("close-request"); }
  void EndDialog(int result) override { Log("end", result); }
  void ShowSplash() override { Log("splash"); }
  void HideSplash() override { Log("unsplash"); }
  void Wait(int ms) override { Log("wait", ms); }
  MsgAnswer Show(const string& text, const string& caption, MsgButtons b, MsgIcon i) override {
    Log("message", text);
    return messages.Show(text, caption, b, i);
  }

  std::map<int, Strings> lists;
  std::map<int, int> selected;
  std::map<int, bool> disabled, readOnly;
  std::map<int, string> texts;
  std::vector<int> checked;
  std::vector<Strings> rows;
  int mark = -1, sliderMax = 0, sliderPos = 0;
  std::deque<string> chosen;
  string filter;  // the open-file dialog's last filter text
  std::map<string, Size> sizes;
  string picture[2];
  FakeMessageBox messages;
};

struct AppTest : ::testing::Test {
  FakeMainHost host;
  FakeUploadCtrl ctrl;
  CMainDlg dlg{host, ctrl, "/nonexistent"};
  void SetUp() override { dlg.OnInitDialog(); }
  // Adds /l/<name>, a 24-bit picture of w x h, through "Open file".
  void Open(const string& name, int w = 100, int h = 50) {
    ctrl.bitmaps["/l/" + name] = {24, h, w};
    host.chosen.push_back("/l/" + name);
    dlg.OnOpenFile();
  }
  // The counters and the size texts, joined by "|".
  string Counters() {
    return host.texts[id::kFileCounter] + "|" + host.texts[id::kSizeCounter] + "|" +
           host.texts[id::kWidthText] + "|" + host.texts[id::kHeightText];
  }
};

}  // namespace brindle::test
