// The main window's two edit widgets. Both leave the keys of the Edit menu
// (Undo, Cut, Copy, Paste) to the menu's shortcuts while the menu has them
// enabled, take a plain Undo key as the state's undo, report double-clicks
// after their own word selection, and report when the caret is moved by a
// click or a key that types nothing (which ends a run of typing).
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace vmqt {

// True for a key of the Edit menu that the menu should see first.
bool isEditMenuKey(const QKeyEvent* key);

// True for a key that edits the text where the caret stands: a character,
// Backspace, Delete, Return or Tab.
bool isTypingKey(const QKeyEvent* key);

class SearchBox : public QLineEdit {
    Q_OBJECT

  public:
    using QLineEdit::QLineEdit;

  signals:
    void doubleClicked();
    void undoKey();
    void caretJumped();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Keeps the selection while the keyboard opens the menus, so that the
    // Edit menu finds it.
    void focusOutEvent(QFocusEvent* event) override;
};

class DocumentBox : public QPlainTextEdit {
    Q_OBJECT

  public:
    using QPlainTextEdit::QPlainTextEdit;

  signals:
    void doubleClicked();
    void undoKey();
    void caretJumped();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace vmqt
