#pragma once
// The main window's logic: its state, start-up, the port rule, the halftone
// level and the close sequence. It talks to the platform only through
// IMainHost, so every handler runs without a display.
#include <cstdint>
#include <string>
#include <vector>

#include "app/LogoEntry.h"
#include "app/MainHost.h"
#include "app/PortSettings.h"
#include "device/UploadCtrl.h"

namespace brindle {

class CMainDlg {
 public:
  // `settingsDir` is the folder that holds files.ini and nvupload.ini
  // (settings/Places.h); it is created when the settings are first saved.
  CMainDlg(IMainHost& host, IUploadCtrl& uploadCtrl, std::string settingsDir);

  // Start-up, before the window becomes visible. Returns true.
  bool OnInitDialog();
  void InitControls();

  void OnPortSelChange();
  void EnableOperationControls(bool enable);
  int GetBaudCode();
  void UpdateHalftoneLevel();
  // The two counters below the logo list and the size texts below the preview.
  void UpdateCounters(int count, int totalBytes);
  void UpdateSizeTexts(int width, int height);

  // "Exit" sends the close request; the close request saves both settings
  // files, shows one message naming each file that could not be written,
  // and ends the dialog.
  void OnExit();
  void OnClose();
  // Enter and Esc end the dialog at once without writing anything.
  void OnEnterKey();
  void OnEscapeKey();

  // The logo list. AddLogo returns false when it refused the file, which it
  // reports with a message box unless `report` is false.
  bool AddLogo(const std::string& name, const std::string& path, bool report = true);
  void AddLogoRow(const std::string& name, int size);
  void OnOpenFile();
  void OpenLogoFile();
  void OnRemove();
  void OnReset();
  void OnListClick();
  void OnListKeyDown() {}
  std::string LogoPathList() const { return MakeLogoPathList(logoList_); }
  const std::vector<LogoEntry>& logoList() const { return logoList_; }

  // The settings files. The savers return what to tell the user when the
  // file could not be written (empty when it was).
  void LoadLogoList();
  void LoadPortSettings();
  std::string SaveLogoList();
  std::string SavePortSettings();

  // The preview panel.
  void ShowPicture(const std::string& path);
  void RefreshConverted(const std::string& path);
  void RedrawPreview();
  void PaintPreview();
  void OnHalftoneNone();
  void OnHalftoneDiffusion();
  void OnLevelReleased();

  // The device operations and the print choices.
  void OnUpload();
  void OnErase();
  void OnPrintout();
  void OnQuality(int sizeIndex) { printSizeIndex_ = static_cast<std::int16_t>(sizeIndex); }
  void OnRange(int mode) { rangeMode_ = mode; }
  // The progress animation, shown after each job has returned.
  void RunProgress(const std::string& caption, int waitPerStep);

  // The "Port Setting" choices at this moment.
  PortSettings ReadPortSettings();

  // State, readable by the window layer and tests.
  int logoCount() const { return logoCount_; }
  int halftoneMode() const { return halftoneMode_; }
  std::int16_t level() const { return level_; }
  const std::string& previewPath() const { return previewPath_; }
  int totalSize() const { return totalSize_; }
  std::int16_t printSizeIndex() const { return printSizeIndex_; }
  int rangeMode() const { return rangeMode_; }
  const std::string& settingsDir() const { return settingsDir_; }

 private:
  std::string SettingsPath(const char* file) const;
  std::string WriteSettingsFile(const char* file, const std::string& bytes);

  IMainHost& host_;
  IUploadCtrl& uploadCtrl_;
  std::string settingsDir_;

  int logoCount_ = 0;
  int halftoneMode_ = 0;
  std::int16_t level_ = 0;
  std::string previewPath_;
  std::vector<LogoEntry> logoList_;
  int lastDrawnWidth_ = 0;
  int lastDrawnHeight_ = 0;
  std::int16_t printSizeIndex_ = 0;
  int rangeMode_ = 0;
  int totalSize_ = 0;
};

}  // namespace brindle
