#pragma once
// Records every message box and answers from a queue (Yes/OK when empty).
#include <deque>
#include <string>
#include <vector>

#include "core/MessageBox.h"

namespace brindle::test {

struct ShownMessage {
  std::string text;
  std::string caption;
  MsgButtons buttons;
  MsgIcon icon;
  bool operator==(const ShownMessage&) const = default;
};

class FakeMessageBox final : public IMessageBox {
 public:
  MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                 MsgIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    if (!answers.empty()) {
      MsgAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }

  std::vector<ShownMessage> shown;
  std::deque<MsgAnswer> answers;
};

}  // namespace brindle::test
