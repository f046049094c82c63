// Keeps a Qt edit widget and a ui::TextBox of the state in step. Typing and
// selecting in the widget go into the state at once; a routine's changes go
// into the widget when the window is redrawn.
//
// Invariants:
// - synced_ is the state text the widget shows; the widget is given the
//   state's text only when the state moved away from it (or the widget was
//   edited while a routine ran and the edit was refused).
// - The state's one undo step spans a run of typing: it begins with the
//   first edit after the caret was moved by a click or a key that types
//   nothing (breakRun) or after the text was set by a routine, as an edit
//   control's undo does.
// - The widget's own undo is off: undo is the state's (Edit menu, Ctrl+Z).
#pragma once

#include <QObject>
#include <string>

#include "ui/controls.h"

class QLineEdit;
class QPlainTextEdit;

namespace vmqt {

class Session;

class TextBoxBinding : public QObject {
    Q_OBJECT

  public:
    TextBoxBinding(Session& session, ui::TextBox& box, QLineEdit* widget);
    TextBoxBinding(Session& session, ui::TextBox& box, QPlainTextEdit* widget);

    // State to widget: text, selection, font, colours, tooltip, flags.
    void redraw();
    // The text box's own undo key: the state's undo step.
    void undo();
    // The caret was moved by other means than typing: the next edit begins a
    // new undo step.
    void breakRun() { editRun_ = false; }

  private:
    void connectSignals();
    QString widgetText() const;
    void setWidgetText(const QString& text);
    int widgetSelectionStart() const;
    int widgetSelectionLength() const;
    void setWidgetSelection(int start, int length);
    void edited();
    void caretMoved();

    Session& session_;
    ui::TextBox& box_;
    QLineEdit* line_ = nullptr;
    QPlainTextEdit* plain_ = nullptr;
    std::string synced_;
    int syncedSelStart_ = 0;
    int syncedSelLength_ = 0;
    bool dirty_ = true;
    bool pushing_ = false;
    bool editRun_ = false;
};

}  // namespace vmqt
