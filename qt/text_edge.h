// The edge between the program's text and Qt's: cp1252 with CR LF line
// breaks inside, Unicode with LF line breaks in the widgets; text offsets
// across that edge; colours and twips (15 to a pixel) as Qt wants them.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

#include "ui/controls.h"

namespace vmqt {

inline constexpr int kTwipsPerPixel = 15;

// cp1252 with CR LF line breaks, as the widgets show it.
QString toQt(std::string_view cp1252);

// A widget's text as the program keeps it: cp1252 (a character outside it
// becomes '?') with CR LF line breaks.
std::string fromQt(const QString& text);

// The offset in the program's text of position (in UTF-16 units) of the
// widget text shown: a line break counts two characters there, a character
// outside the basic plane one.
int toStateOffset(const QString& shown, int position);

// The inverse: the widget position of an offset in the program's text.
int toWidgetOffset(const QString& shown, int offset);

QColor toQColor(const ui::Rgb& colour);

inline int toPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect toPixels(const ui::Rect& rect);

}  // namespace vmqt
