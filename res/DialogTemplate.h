#pragma once
// Dialog templates as data: every control with its id, kind, caption and
// position in dialog units, in tab order. The window layer creates the
// controls from these tables at 2 pixels per dialog unit.
#include <span>
#include <string_view>

namespace brindle {

enum class ControlKind {
  Group,         // captioned group frame
  Label,         // static text
  Button,
  Radio,         // radio button; `groupStart` marks the first of a group
  DropDown,      // drop-down list without typing; height is the open list's
  Edit,          // bordered edit field
  Text,          // borderless read-only text
  ListView,      // report-style list view
  Slider,        // slider with ticks on both sides
  PictureFrame,  // sunken frame around a preview panel
  Progress,      // progress bar
};

struct ControlTemplate {
  int id;  // id::kStatic for frames and labels
  ControlKind kind;
  std::string_view caption;
  int x, y, width, height;  // dialog units
  bool groupStart = false;
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  int width, height;  // client area in dialog units
  std::span<const ControlTemplate> controls;
};

inline constexpr int kPixelsPerDialogUnit = 2;

const DialogTemplate& MainDialogTemplate();
const DialogTemplate& ProgressDialogTemplate();

}  // namespace brindle
