#include "core/MessageBox.h"

#include <cstdio>

namespace brindle {

MsgAnswer StderrMessageBox::Show(const std::string& text, const std::string&, MsgButtons buttons,
                                 MsgIcon) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

}  // namespace brindle
