// The message box with the program's icons and button sets, and the input
// box whose Cancel gives an empty answer.
#include "qt/qt_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <utility>
#include <vector>

#include "qt/text_edge.h"

namespace vmqt {

namespace {

QMessageBox::Icon qtIcon(platform::Icon icon) {
    switch (icon) {
        case platform::Icon::Exclamation:
            return QMessageBox::Warning;
        case platform::Icon::Critical:
            return QMessageBox::Critical;
        case platform::Icon::Question:
            return QMessageBox::Question;
        case platform::Icon::Information:
            return QMessageBox::Information;
        case platform::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

using Choice = std::pair<QMessageBox::StandardButton, platform::Answer>;

// The buttons of a set, the first one being the default.
std::vector<Choice> choices(platform::Buttons buttons) {
    using platform::Answer;
    switch (buttons) {
        case platform::Buttons::Ok:
            return {{QMessageBox::Ok, Answer::Ok}};
        case platform::Buttons::OkCancel:
            return {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}};
        case platform::Buttons::AbortRetryIgnore:
            return {{QMessageBox::Abort, Answer::Abort},
                    {QMessageBox::Retry, Answer::Retry},
                    {QMessageBox::Ignore, Answer::Ignore}};
        case platform::Buttons::YesNoCancel:
            return {{QMessageBox::Yes, Answer::Yes},
                    {QMessageBox::No, Answer::No},
                    {QMessageBox::Cancel, Answer::Cancel}};
        case platform::Buttons::YesNo:
            return {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
        case platform::Buttons::RetryCancel:
            return {{QMessageBox::Retry, Answer::Retry}, {QMessageBox::Cancel, Answer::Cancel}};
    }
    return {{QMessageBox::Ok, Answer::Ok}};
}

// What a box closed without a button press answers: Cancel where the box has
// it, otherwise its last button (No, Ignore or OK).
platform::Answer closedAnswer(const std::vector<Choice>& set) {
    for (const Choice& choice : set) {
        if (choice.second == platform::Answer::Cancel) return choice.second;
    }
    return set.back().second;
}

}  // namespace

platform::Answer QtDialogs::messageBox(const std::string& text, const std::string& title,
                                       platform::Icon icon, platform::Buttons buttons) {
    if (beforeBox_) beforeBox_();
    const std::vector<Choice> set = choices(buttons);
    QMessageBox box(qtIcon(icon), toQt(title), toQt(text), QMessageBox::NoButton, parent_);
    box.setObjectName("messageBox");
    QMessageBox::StandardButtons shown;
    for (const Choice& choice : set)
        shown |= choice.first;
    box.setStandardButtons(shown);
    box.setDefaultButton(set.front().first);
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const Choice& choice : set) {
        if (clicked != nullptr && clicked == box.button(choice.first)) return choice.second;
    }
    return closedAnswer(set);
}

std::string QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                const std::string& proposed) {
    if (beforeBox_) beforeBox_();
    QInputDialog box(parent_);
    box.setObjectName("inputBox");
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(toQt(title));
    box.setLabelText(toQt(prompt));
    box.setTextValue(toQt(proposed));
    if (box.exec() != QDialog::Accepted) return {};
    return fromQt(box.textValue());
}

}  // namespace vmqt
