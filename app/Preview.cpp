// The preview panel: the logo as loaded on the left, its black-and-white
// conversion on the right.
#include "app/MainDlg.h"
#include "app/PreviewGeometry.h"

namespace brindle {

void CMainDlg::ShowPicture(const std::string& path) {
  previewPath_ = path;
  host_.PreviewLoad(PreviewSide::Left, path);  // a failed load keeps the old picture
  RefreshConverted(path);
}

void CMainDlg::RefreshConverted(const std::string& path) {
  UpdateHalftoneLevel();
  const std::string converted = uploadCtrl_.MakePreviewFile(path, halftoneMode_, level_);
  if (!host_.PreviewLoad(PreviewSide::Right, converted)) return;
  RedrawPreview();
}

void CMainDlg::RedrawPreview() {
  if (!host_.PreviewHasPicture(PreviewSide::Left)) return;
  host_.PreviewRefreshDisplays();
  host_.InvalidateWindow();
}

void CMainDlg::PaintPreview() {
  if (!host_.PreviewHasPicture(PreviewSide::Left)) return;
  // Both halves use the left picture's size.
  const Size source = host_.PreviewDisplaySize(PreviewSide::Left);
  const Size drawn = PreviewDrawnSize(source.width, source.height);
  for (int x : {kLeftPreviewX, kRightPreviewX}) {
    const PreviewSide side = x == kLeftPreviewX ? PreviewSide::Left : PreviewSide::Right;
    if (side == PreviewSide::Right && !host_.PreviewHasPicture(side)) continue;
    host_.PaintStretch(side, {x, kPreviewTop, x + drawn.width, kPreviewTop + drawn.height},
                       source);
  }
  const Size previous{lastDrawnWidth_, lastDrawnHeight_};
  for (int x : {kLeftPreviewX, kRightPreviewX}) {
    for (const Rect& strip : PreviewStripsToClear(x, previous, drawn)) host_.PaintFill(strip);
  }
  lastDrawnWidth_ = drawn.width;
  lastDrawnHeight_ = drawn.height;
}

void CMainDlg::OnHalftoneNone() {
  halftoneMode_ = 0;
  RefreshConverted(previewPath_);
}

void CMainDlg::OnHalftoneDiffusion() {
  halftoneMode_ = 1;
  RefreshConverted(previewPath_);
}

void CMainDlg::OnLevelReleased() { RefreshConverted(previewPath_); }

}  // namespace brindle
