// The system clipboard: its text in the program's form and back.
#include "qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "qt/text_edge.h"

namespace vmqt {

std::string QtClipboard::text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) return {};
    return fromQt(data->text());
}

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQt(text));
}

void QtClipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

}  // namespace vmqt
