#pragma once
// Message boxes as the logic sees them. The window layer shows a real
// dialog; tests record the text, caption, buttons and icon and answer.
#include <string>

namespace brindle {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Stop, Exclamation, Information };
enum class MsgAnswer { Ok, Yes, No };

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows the message and blocks until the user answers.
  virtual MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon) = 0;
};

// Writes each message as one line on standard error and answers OK/Yes.
// Used where no window exists (the command-line tool).
class StderrMessageBox final : public IMessageBox {
 public:
  MsgAnswer Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                 MsgIcon icon) override;
};

}  // namespace brindle
