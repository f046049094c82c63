// Conversions at the edge of the Qt layer.
#include "qt/text_edge.h"

#include "platform/cp1252.h"

namespace vmqt {

namespace {

// Characters of the program's text that the widget character at i stands for.
int stateWidth(const QString& shown, int i) {
    const QChar c = shown.at(i);
    if (c == QLatin1Char('\n')) return 2;
    if (c.isLowSurrogate()) return 0;
    return 1;
}

}  // namespace

QString toQt(std::string_view cp1252) {
    const std::string utf8 = platform::toLf(platform::cp1252ToUtf8(cp1252));
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string fromQt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return platform::toCrLf(
        platform::utf8ToCp1252(std::string_view(utf8.constData(), utf8.size())));
}

int toStateOffset(const QString& shown, int position) {
    int offset = 0;
    const int end = std::min(position, static_cast<int>(shown.size()));
    for (int i = 0; i < end; ++i)
        offset += stateWidth(shown, i);
    return offset;
}

int toWidgetOffset(const QString& shown, int offset) {
    int consumed = 0;
    int i = 0;
    const int size = static_cast<int>(shown.size());
    while (i < size && consumed + stateWidth(shown, i) <= offset) {
        consumed += stateWidth(shown, i);
        ++i;
    }
    // Never split a surrogate pair.
    while (i < size && shown.at(i).isLowSurrogate())
        ++i;
    return i;
}

QColor toQColor(const ui::Rgb& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QRect toPixels(const ui::Rect& rect) {
    return QRect(toPixels(rect.left), toPixels(rect.top), toPixels(rect.width),
                 toPixels(rect.height));
}

}  // namespace vmqt
