// Text, selection and undo between edit widgets and the state.
#include "qt/text_box_binding.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "qt/control_view.h"
#include "qt/session.h"
#include "qt/text_edge.h"

namespace vmqt {

TextBoxBinding::TextBoxBinding(Session& session, ui::TextBox& box, QLineEdit* widget)
    : QObject(widget), session_(session), box_(box), line_(widget) {
    connectSignals();
}

TextBoxBinding::TextBoxBinding(Session& session, ui::TextBox& box, QPlainTextEdit* widget)
    : QObject(widget), session_(session), box_(box), plain_(widget) {
    plain_->setUndoRedoEnabled(false);
    connectSignals();
}

void TextBoxBinding::connectSignals() {
    if (line_) {
        connect(line_, &QLineEdit::textChanged, this, &TextBoxBinding::edited);
        connect(line_, &QLineEdit::cursorPositionChanged, this, &TextBoxBinding::caretMoved);
        connect(line_, &QLineEdit::selectionChanged, this, &TextBoxBinding::caretMoved);
    } else {
        connect(plain_, &QPlainTextEdit::textChanged, this, &TextBoxBinding::edited);
        connect(plain_, &QPlainTextEdit::cursorPositionChanged, this, &TextBoxBinding::caretMoved);
        connect(plain_, &QPlainTextEdit::selectionChanged, this, &TextBoxBinding::caretMoved);
    }
}

QString TextBoxBinding::widgetText() const {
    if (line_) return line_->text();
    QString text = plain_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void TextBoxBinding::setWidgetText(const QString& text) {
    if (line_) {
        line_->setText(text);
    } else {
        plain_->setPlainText(text);
    }
}

int TextBoxBinding::widgetSelectionStart() const {
    if (line_) return line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
    return plain_->textCursor().selectionStart();
}

int TextBoxBinding::widgetSelectionLength() const {
    if (line_) return line_->hasSelectedText() ? line_->selectionLength() : 0;
    const QTextCursor cursor = plain_->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TextBoxBinding::setWidgetSelection(int start, int length) {
    if (line_) {
        if (length > 0) {
            line_->setSelection(start, length);
        } else {
            line_->setCursorPosition(start);
        }
        return;
    }
    QTextCursor cursor = plain_->textCursor();
    cursor.setPosition(start);
    if (length > 0) cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    plain_->setTextCursor(cursor);
}

void TextBoxBinding::edited() {
    if (pushing_) return;
    if (session_.running()) {
        dirty_ = true;  // refused: the next redraw puts the state's text back
        return;
    }
    const QString shown = widgetText();
    const std::string now = fromQt(shown);
    if (now == box_.text) return;
    if (!(editRun_ && box_.undo.valid && box_.undo.after == box_.text)) {
        box_.undo.before = box_.text;
        box_.undo.selStart = box_.selStart;  // where the caret stood before the edit
        editRun_ = true;
    }
    box_.undo.valid = true;
    box_.undo.after = now;
    box_.text = now;
    synced_ = now;
    caretMoved();
}

void TextBoxBinding::caretMoved() {
    if (pushing_ || session_.running()) return;
    const QString shown = widgetText();
    const int start = widgetSelectionStart();
    box_.selStart = toStateOffset(shown, start);
    box_.selLength = toStateOffset(shown, start + widgetSelectionLength()) - box_.selStart;
    syncedSelStart_ = box_.selStart;
    syncedSelLength_ = box_.selLength;
}

void TextBoxBinding::redraw() {
    applyControl(line_ ? static_cast<QWidget*>(line_) : plain_, box_);
    if (line_) {
        const int limit = box_.maxLength > 0 ? box_.maxLength : 32767;
        if (line_->maxLength() != limit) line_->setMaxLength(limit);
    }
    pushing_ = true;
    const bool selectionSet =
        box_.selStart != syncedSelStart_ || box_.selLength != syncedSelLength_;
    if (dirty_ || box_.text != synced_) {
        setWidgetText(toQt(box_.text));
        synced_ = box_.text;
        dirty_ = false;
        editRun_ = false;
        // A text set by a routine puts the caret at its start, unless the
        // routine placed the selection itself.
        if (!selectionSet) box_.selStart = box_.selLength = 0;
    }
    const QString shown = widgetText();
    const int start = toWidgetOffset(shown, std::max(box_.selStart, 0));
    const int end = toWidgetOffset(shown, std::max(box_.selStart, 0) + std::max(box_.selLength, 0));
    if (start != widgetSelectionStart() || end - start != widgetSelectionLength())
        setWidgetSelection(start, end - start);
    syncedSelStart_ = box_.selStart;
    syncedSelLength_ = box_.selLength;
    pushing_ = false;
}

void TextBoxBinding::undo() {
    if (session_.running()) return;
    box_.undoLastEdit();
    redraw();
}

}  // namespace vmqt
