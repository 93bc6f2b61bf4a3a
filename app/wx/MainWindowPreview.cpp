// The main window's open-file dialog and preview drawing.
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/settings.h>

#include "app/wx/MainWindow.h"

namespace brindle {

bool MainWindow::ChooseLogoFile(const std::string& filter, std::string& path,
                                std::string& name) {
  wxFileDialog dialog(this, wxFileSelectorPromptStr, "", "", wxString::FromUTF8(filter),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return false;
  path = dialog.GetPath().utf8_string();
  name = dialog.GetFilename().utf8_string();
  return true;
}

PictureBitmap& MainWindow::Picture(PreviewSide side) {
  return side == PreviewSide::Left ? leftPicture_ : rightPicture_;
}

PictureBitmap& MainWindow::Display(PreviewSide side) {
  return side == PreviewSide::Left ? leftDisplay_ : rightDisplay_;
}

bool MainWindow::PreviewLoad(PreviewSide side, const std::string& path) {
  PictureBitmap loaded(0xFFFFFF);
  if (!loaded.LoadPicture(path)) return false;
  Picture(side).TakeFrom(loaded);
  Display(side).CopyFrom(Picture(side));
  return true;
}

bool MainWindow::PreviewHasPicture(PreviewSide side) { return Picture(side).HasBitmap(); }

Size MainWindow::PreviewDisplaySize(PreviewSide side) {
  const wxBitmap& b = Display(side).Bitmap();
  return b.IsOk() ? Size{b.GetWidth(), b.GetHeight()} : Size{};
}

void MainWindow::PreviewRefreshDisplays() {
  leftDisplay_.CopyFrom(leftPicture_);
  if (rightPicture_.HasBitmap()) rightDisplay_.CopyFrom(rightPicture_);
}

void MainWindow::InvalidateWindow() { Refresh(false); }

void MainWindow::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  paintDc_ = &dc;
  logic_->PaintPreview();
  paintDc_ = nullptr;
}

void MainWindow::PaintStretch(PreviewSide side, Rect target, Size source) {
  const wxBitmap& bitmap = Display(side).Bitmap();
  if (!paintDc_ || !bitmap.IsOk()) return;
  wxMemoryDC mem;
  mem.SelectObjectAsSource(bitmap);
  paintDc_->StretchBlit(target.left, target.top, target.right - target.left,
                        target.bottom - target.top, &mem, 0, 0, source.width, source.height);
}

void MainWindow::PaintFill(Rect area) {
  if (!paintDc_) return;
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  paintDc_->SetPen(*wxTRANSPARENT_PEN);
  paintDc_->SetBrush(wxBrush(face));
  paintDc_->DrawRectangle(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

}  // namespace brindle
