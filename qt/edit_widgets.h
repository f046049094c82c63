// The main window's two edit widgets. Both leave the keys of the Edit menu
// (Undo, Cut, Copy, Paste) to the menu's shortcuts while the menu has them
// enabled, take a plain Undo key as the state's undo, and report
// double-clicks after their own word selection.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

namespace vmqt {

// True for a key of the Edit menu that the menu should see first.
bool isEditMenuKey(const QKeyEvent* key);

class SearchBox : public QLineEdit {
    Q_OBJECT

  public:
    using QLineEdit::QLineEdit;

  signals:
    void doubleClicked();
    void undoKey();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class DocumentBox : public QPlainTextEdit {
    Q_OBJECT

  public:
    using QPlainTextEdit::QPlainTextEdit;

  signals:
    void doubleClicked();
    void undoKey();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace vmqt
