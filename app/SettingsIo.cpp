// Reading the settings files at start-up and writing them at close.
#include <string>

#include "app/MainDlg.h"
#include "app/MainLists.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"

namespace brindle {

std::string CMainDlg::SettingsPath(const char* file) const { return settingsDir_ + "/" + file; }

void CMainDlg::LoadLogoList() {
  const auto logos = ReadLogoList(SettingsPath(kLogoListFile));
  if (!logos) return;
  std::string lastPath;
  for (const LoadedLogo& logo : *logos) {
    AddLogo(logo.name, logo.path);
    lastPath = logo.path;
  }
  ShowPicture(lastPath);
}

void CMainDlg::LoadPortSettings() {
  const auto loaded = brindle::ReadPortSettings(SettingsPath(kPortSettingsFile));
  if (!loaded) return;
  if (loaded->sectionMatched) {
    const auto lists = MainDropDownLists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
      host_.ListSelect(lists[i].id, loaded->selections[i]);
    }
  }
  OnPortSelChange();
}

void CMainDlg::SaveLogoList() {
  std::vector<StoredLogo> logos;
  for (const LogoEntry& e : logoList_) logos.push_back({e.path, e.name, e.size, e.height, e.width});
  // A file that cannot be written is skipped without a message.
  ReplaceFile(SettingsPath(kLogoListFile), FormatLogoList(logos));
}

void CMainDlg::SavePortSettings() {
  PortSelections selections{};
  const auto lists = MainDropDownLists();
  for (std::size_t i = 0; i < lists.size(); ++i) selections[i] = host_.ListSelected(lists[i].id);
  ReplaceFile(SettingsPath(kPortSettingsFile), FormatPortSettings(selections));
}

}  // namespace brindle
