// Modal boxes the routines show: the message box with its icon and buttons,
// and the input box that asks for one line of text.
#pragma once

#include <string>

namespace platform {

enum class Icon { None, Exclamation, Critical, Question, Information };

enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// The answer a box gives when the user presses Enter: its first button.
Answer defaultAnswer(Buttons buttons);

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Shows text under title and waits for one of the buttons.
    virtual Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                              Buttons buttons) = 0;

    // Asks for one line of text, proposing proposed; OK returns the entry,
    // Cancel an empty string. Text is cp1252.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& proposed) = 0;
};

}  // namespace platform
