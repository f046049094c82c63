// Key and double-click handling of the main window's edit widgets.
#include "qt/edit_widgets.h"

#include <QKeyEvent>

namespace vmqt {

namespace {

bool isUndoKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo);
}

}  // namespace

bool isEditMenuKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Cut) ||
           key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste);
}

bool isTypingKey(const QKeyEvent* key) {
    switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            return true;
        default:
            return !key->text().isEmpty() && key->text().at(0).isPrint();
    }
}

bool SearchBox::event(QEvent* event) {
    // Leaving the override unaccepted lets an enabled menu shortcut run; a
    // disabled one lets the key through to keyPressEvent.
    if (event->type() == QEvent::ShortcutOverride && isEditMenuKey(static_cast<QKeyEvent*>(event)))
        return false;
    return QLineEdit::event(event);
}

void SearchBox::keyPressEvent(QKeyEvent* event) {
    if (isUndoKey(event)) {
        emit undoKey();
        return;
    }
    if (!isTypingKey(event)) emit caretJumped();
    QLineEdit::keyPressEvent(event);
}

void SearchBox::mousePressEvent(QMouseEvent* event) {
    emit caretJumped();
    QLineEdit::mousePressEvent(event);
}

void SearchBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void SearchBox::focusOutEvent(QFocusEvent* event) {
    if (event->reason() == Qt::MenuBarFocusReason) {
        QFocusEvent toMenu(QEvent::FocusOut, Qt::PopupFocusReason);
        QLineEdit::focusOutEvent(&toMenu);
        return;
    }
    QLineEdit::focusOutEvent(event);
}

bool DocumentBox::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isEditMenuKey(static_cast<QKeyEvent*>(event)))
        return false;
    return QPlainTextEdit::event(event);
}

void DocumentBox::keyPressEvent(QKeyEvent* event) {
    if (isUndoKey(event)) {
        emit undoKey();
        return;
    }
    if (!isTypingKey(event)) emit caretJumped();
    QPlainTextEdit::keyPressEvent(event);
}

void DocumentBox::mousePressEvent(QMouseEvent* event) {
    emit caretJumped();
    QPlainTextEdit::mousePressEvent(event);
}

void DocumentBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace vmqt
