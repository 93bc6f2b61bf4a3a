#pragma once
// A main-window host without a display: keeps the state of every control
// the logic touches and records the calls that matter to tests.
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/MainHost.h"
#include "support/FakeMessageBox.h"

namespace brindle::test {

struct FakeList {
  std::vector<std::string> entries;
  int selected = -1;
};

class FakeMainHost : public IMainHost {
 public:
  void ListAppend(int id, const std::string& text) override { lists[id].entries.push_back(text); }
  void ListSelect(int id, int index) override {
    FakeList& l = lists[id];
    l.selected = index >= 0 && index < static_cast<int>(l.entries.size()) ? index : -1;
  }
  int ListSelected(int id) override { return lists[id].selected; }
  std::string ListText(int id, int index) override {
    const FakeList& l = lists[id];
    return index >= 0 && index < static_cast<int>(l.entries.size()) ? l.entries[index] : "";
  }

  void Enable(int id, bool enable) override { enabled[id] = enable; }
  bool IsEnabled(int id) const {
    auto it = enabled.find(id);
    return it == enabled.end() || it->second;  // controls start enabled
  }

  void SetText(int id, const std::string& text) override { texts[id] = text; }
  std::string GetText(int id) override { return texts[id]; }
  void SetReadOnly(int id, bool readOnly) override { readOnlyState[id] = readOnly; }
  bool IsReadOnly(int id) const {
    auto it = readOnlyState.find(id);
    return it != readOnlyState.end() && it->second;
  }

  void Check(int id) override { checked.push_back(id); }

  void ViewSetFullRowSelect() override { fullRowSelect = true; }
  void ViewInsertColumn(int column, const std::string& heading, int width) override {
    columns.push_back({column, heading, width});
  }
  void ViewInsertRow(int row, const std::string& column0) override {
    rows.insert(rows.begin() + row, std::vector<std::string>{column0, "", "", ""});
  }
  void ViewSetCell(int row, int column, const std::string& text) override {
    rows.at(row).at(column) = text;
  }
  void ViewDeleteAll() override {
    rows.clear();
    selectionMark = -1;
  }
  int ViewSelectionMark() override { return selectionMark; }

  void SliderSetRange(int minimum, int maximum) override {
    sliderMin = minimum;
    sliderMax = maximum;
  }
  void SliderSetPos(int position) override { sliderPos = position; }
  int SliderPos() override { return sliderPos; }
  int SliderMax() override { return sliderMax; }

  bool ChooseLogoFile(const std::string& filter, std::string& path, std::string& name) override {
    ++fileDialogs;
    fileFilter = filter;
    if (chosenFiles.empty()) return false;
    path = chosenFiles.front();
    chosenFiles.pop_front();
    name = path.substr(path.find_last_of('/') + 1);
    return true;
  }

  // Pictures "load" when their path is in `pictureSizes`.
  bool PreviewLoad(PreviewSide side, const std::string& path) override {
    events.push_back(std::string(side == PreviewSide::Left ? "load-left " : "load-right ") + path);
    auto it = pictureSizes.find(path);
    if (it == pictureSizes.end()) return false;
    picture[static_cast<int>(side)] = path;
    return true;
  }
  bool PreviewHasPicture(PreviewSide side) override {
    return !picture[static_cast<int>(side)].empty();
  }
  Size PreviewDisplaySize(PreviewSide side) override {
    return pictureSizes[picture[static_cast<int>(side)]];
  }
  void PreviewRefreshDisplays() override { events.push_back("refresh-displays"); }
  void InvalidateWindow() override { events.push_back("invalidate"); }
  void PaintStretch(PreviewSide side, Rect target, Size source) override {
    stretches.push_back({side, target, source});
  }
  void PaintFill(Rect area) override { fills.push_back(area); }

  void ProgressOpen(const std::string& caption) override {
    events.push_back("progress-open " + caption);
  }
  void ProgressSetRange(int minimum, int maximum) override {
    events.push_back("progress-range " + std::to_string(minimum) + ".." + std::to_string(maximum));
  }
  void ProgressSetPos(int position) override {
    events.push_back("progress-pos " + std::to_string(position));
  }
  void ProgressClose() override { events.push_back("progress-close"); }

  void SetIcons() override { ++iconsSet; }
  void RequestClose() override { ++closeRequests; }
  void EndDialog(int result) override { endResults.push_back(result); }
  void ShowSplash() override { events.push_back("splash-show"); }
  void HideSplash() override { events.push_back("splash-hide"); }
  void Wait(int ms) override {
    waits.push_back(ms);
    events.push_back("wait " + std::to_string(ms));
  }

  MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                 MsgIcon icon) override {
    events.push_back("message " + text);
    return messages.Show(text, caption, buttons, icon);
  }

  struct Column {
    int index;
    std::string heading;
    int width;
    bool operator==(const Column&) const = default;
  };

  struct Stretch {
    PreviewSide side;
    Rect target;
    Size source;
    bool operator==(const Stretch&) const = default;
  };

  std::deque<std::string> chosenFiles;
  int fileDialogs = 0;
  std::string fileFilter;
  std::map<std::string, Size> pictureSizes;
  std::string picture[2];
  std::vector<Stretch> stretches;
  std::vector<Rect> fills;
  std::map<int, FakeList> lists;
  std::map<int, bool> enabled;
  std::map<int, std::string> texts;
  std::map<int, bool> readOnlyState;
  std::vector<int> checked;
  bool fullRowSelect = false;
  std::vector<Column> columns;
  std::vector<std::vector<std::string>> rows;
  int selectionMark = -1;
  int sliderMin = 0, sliderMax = 0, sliderPos = 0;
  int iconsSet = 0;
  int closeRequests = 0;
  std::vector<int> endResults;
  std::vector<int> waits;
  std::vector<std::string> events;
  FakeMessageBox messages;
};

}  // namespace brindle::test
