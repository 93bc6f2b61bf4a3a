// Reading the settings files at start-up and writing them at close.
#include <cstring>
#include <string>

#include "app/MainDlg.h"
#include "app/MainLists.h"
#include "settings/Places.h"
#include "settings/SettingsFiles.h"
#include "settings/TextLines.h"

namespace brindle {

namespace {

// Refused stored logos reported one box each; the rest share one box.
constexpr int kReportedRefusals = 10;

}  // namespace

std::string CMainDlg::SettingsPath(const char* file) const { return settingsDir_ + "/" + file; }

std::string CMainDlg::WriteSettingsFile(const char* file, const std::string& bytes) {
  int error = MakePrivateDirs(settingsDir_);
  if (error == 0 && ReplaceFile(SettingsPath(file), bytes, &error)) return "";
  return "Could not save " + SettingsPath(file) + ": " + std::strerror(error);
}

void CMainDlg::LoadLogoList() {
  const auto logos = ReadLogoList(SettingsPath(kLogoListFile));
  if (!logos) return;
  std::string lastPath;
  int refused = 0;
  for (const LoadedLogo& logo : *logos) {
    if (!AddLogo(logo.name, logo.path, refused < kReportedRefusals)) ++refused;
    lastPath = logo.path;
  }
  if (refused > kReportedRefusals) {
    const int more = refused - kReportedRefusals;
    host_.Show(std::to_string(more) + " more logo files could not be loaded.", "Error",
               MsgButtons::Ok, MsgIcon::Stop);
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

std::string CMainDlg::SaveLogoList() {
  std::vector<StoredLogo> logos;
  for (const LogoEntry& e : logoList_) logos.push_back({e.path, e.name, e.size, e.height, e.width});
  return WriteSettingsFile(kLogoListFile, FormatLogoList(logos));
}

std::string CMainDlg::SavePortSettings() {
  PortSelections selections{};
  const auto lists = MainDropDownLists();
  for (std::size_t i = 0; i < lists.size(); ++i) selections[i] = host_.ListSelected(lists[i].id);
  return WriteSettingsFile(kPortSettingsFile, FormatPortSettings(selections));
}

}  // namespace brindle
