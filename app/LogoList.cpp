// The logo list: adding, removing and choosing logos.
#include <string>

#include "app/MainDlg.h"
#include "image/LogoLimits.h"
#include "res/ControlIds.h"

namespace brindle {
namespace {

// Every kind of logo file first, then the BMP filter of old.
constexpr char kLogoFileFilter[] =
    "Logo pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)|"
    "*.bmp;*.BMP;*.png;*.PNG;*.jpg;*.JPG;*.jpeg;*.JPEG;*.gif;*.GIF|"
    "Bitmap Images (*.bmp)|*.bmp;*.BMP";

}  // namespace

bool CMainDlg::AddLogo(const std::string& name, const std::string& path, bool report) {
  int depth = 0, height = 0, width = 0;
  // A file that does not load, or that an upload could not convert or
  // pack, is refused here instead of being listed with sizes that mean
  // nothing.
  if (uploadCtrl_.QueryBitmapSize(path, depth, height, width) != 0 ||
      !LogoFitsDevice(depth, width, height)) {
    if (report) host_.Show("Out of range bitmap file.", "Error", MsgButtons::Ok, MsgIcon::Stop);
    return false;
  }
  const int size = LogoDeviceSize(width, height);
  logoList_.push_back({name, size, path, depth, height, width});
  AddLogoRow(name, size);
  ++logoCount_;
  totalSize_ += size;
  UpdateCounters(logoCount_, totalSize_);
  UpdateSizeTexts(width, height);
  EnableOperationControls(true);
  return true;
}

void CMainDlg::AddLogoRow(const std::string& name, int size) {
  const int row = logoCount_;
  host_.ViewInsertRow(row, std::to_string(row));
  host_.ViewSetCell(row, 1, std::to_string(row + 1));
  host_.ViewSetCell(row, 2, name);
  host_.ViewSetCell(row, 3, std::to_string(size));
}

void CMainDlg::OnOpenFile() {
  if (logoCount_ >= 255) {
    host_.Show("Don't read files any more.", "Open", MsgButtons::Ok, MsgIcon::Exclamation);
  } else {
    OpenLogoFile();
  }
}

void CMainDlg::OpenLogoFile() {
  std::string path, name;
  if (!host_.ChooseLogoFile(kLogoFileFilter, path, name)) return;
  AddLogo(name, path);
  // The preview shows the chosen file also when the list refused it.
  ShowPicture(path);
}

void CMainDlg::OnRemove() {
  const int selected = host_.ViewSelectionMark();
  if (host_.Show("Do you want to remove the selection?", "Remove", MsgButtons::YesNo,
                 MsgIcon::Question) != MsgAnswer::Yes) {
    return;
  }
  if (selected < 0 || selected >= static_cast<int>(logoList_.size())) {
    host_.Show("There is no selected Item", "Remove", MsgButtons::Ok, MsgIcon::Stop);
    return;
  }
  totalSize_ -= logoList_[selected].size;
  logoList_.erase(logoList_.begin() + selected);
  host_.ViewDeleteAll();
  logoCount_ = 0;
  if (logoList_.empty()) {
    UpdateCounters(0, 0);
    EnableOperationControls(false);
    return;
  }
  // Rebuild every row so that the "No." column counts 1 to n again.
  for (const LogoEntry& logo : logoList_) {
    AddLogoRow(logo.name, logo.size);
    ++logoCount_;
  }
  UpdateCounters(logoCount_, totalSize_);
}

void CMainDlg::OnReset() {
  if (host_.Show("Do you want to remove all of the selection?", "Remove", MsgButtons::YesNo,
                 MsgIcon::Question) != MsgAnswer::Yes) {
    return;
  }
  host_.ViewDeleteAll();
  logoList_.clear();
  logoCount_ = 0;
  totalSize_ = 0;
  UpdateCounters(0, 0);
  EnableOperationControls(false);
}

void CMainDlg::OnListClick() {
  const int selected = host_.ViewSelectionMark();
  if (selected < 0 || selected >= static_cast<int>(logoList_.size())) return;
  const LogoEntry logo = logoList_[selected];
  ShowPicture(logo.path);
  UpdateSizeTexts(logo.width, logo.height);
}

}  // namespace brindle
