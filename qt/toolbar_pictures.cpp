// Drawing the toolbar pictures with QPainter, in the 16-colour spirit of the
// toolbar: a light face, a simple drawing, the word underneath.
#include "qt/toolbar_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vmqt {

namespace {

const QColor kFace(212, 208, 200);
const QColor kDarkGrey(128, 128, 128);
const QColor kNavy(0, 0, 128);
const QColor kTeal(0, 128, 128);
const QColor kMaroon(128, 0, 0);
const QColor kOlive(128, 128, 0);

void drawPaste(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kOlive);
    p.drawRect(QRectF(8.5, 3.5, 15, 17));  // the board
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 7.5, 9, 11));  // the sheet on it
    p.setBrush(kDarkGrey);
    p.drawRect(QRectF(12.5, 1.5, 7, 4));  // the clip
    p.setPen(QPen(kNavy, 1));
    for (int y = 10; y <= 16; y += 3)
        p.drawLine(QPointF(13, y + 0.5), QPointF(19, y + 0.5));
}

void drawIndex(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    for (int i = 2; i >= 0; --i) {  // a stack of index cards
        p.setBrush(i == 0 ? QColor(Qt::white) : QColor(255, 255, 192));
        p.drawRect(QRectF(6.5 + 3 * i, 2.5 + 3 * i, 15, 11));
    }
    p.setPen(QPen(kMaroon, 1));
    p.drawLine(QPointF(8, 5.5), QPointF(20, 5.5));
    p.setPen(QPen(kNavy, 1));
    for (int y = 8; y <= 11; y += 3)
        p.drawLine(QPointF(8, y + 0.5), QPointF(18, y + 0.5));
}

void drawFind(QPainter& p) {
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(192, 255, 255));
    p.drawEllipse(QPointF(13.5, 9.5), 6.5, 6.5);  // the lens
    p.setPen(QPen(kMaroon, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(18.5, 14.5), QPointF(24, 20));  // the handle
    p.setPen(QPen(Qt::white, 1.2));
    p.drawArc(QRectF(9.5, 5.5, 8, 8), 100 * 16, 70 * 16);  // a glint
}

void drawArrow(QPainter& p, bool right) {
    QPolygonF arrow;
    arrow << QPointF(4, 11) << QPointF(14, 2) << QPointF(14, 7) << QPointF(26, 7) << QPointF(26, 15)
          << QPointF(14, 15) << QPointF(14, 20);
    if (right) {
        for (QPointF& point : arrow)
            point.setX(32 - point.x());
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(kTeal);
    p.drawPolygon(arrow);
}

void drawPrint(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(10.5, 1.5, 11, 8));  // paper going in
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(4.5, 8.5, 23, 9));  // the printer's body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 14.5, 13, 7));  // paper coming out
    p.setPen(QPen(kNavy, 1));
    p.drawLine(QPointF(11, 17.5), QPointF(20, 17.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 192, 0));
    p.drawRect(QRectF(6, 10, 2, 2));  // the power light
}

void drawClear(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 2.5, 15, 18));  // a sheet
    p.setPen(QPen(QColor(192, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 6), QPointF(20, 17));
    p.drawLine(QPointF(20, 6), QPointF(10, 17));
}

}  // namespace

QPixmap buttonPicture(const QString& word, qreal devicePixelRatio) {
    QPixmap picture(QSize(kButtonPixels, kButtonPixels) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(kFace);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    if (word == QLatin1String("Paste")) {
        drawPaste(p);
    } else if (word == QLatin1String("Index")) {
        drawIndex(p);
    } else if (word == QLatin1String("Find")) {
        drawFind(p);
    } else if (word == QLatin1String("Prior")) {
        drawArrow(p, false);
    } else if (word == QLatin1String("Next")) {
        drawArrow(p, true);
    } else if (word == QLatin1String("Print")) {
        drawPrint(p);
    } else if (word == QLatin1String("Clear")) {
        drawClear(p);
    }
    QFont font;
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 21, kButtonPixels, 11), Qt::AlignHCenter | Qt::AlignVCenter, word);
    return picture;
}

QPixmap framePicture(ui::FramePicture picture, qreal devicePixelRatio) {
    QPixmap frame(QSize(kFramePixels, kFramePixels) * devicePixelRatio);
    frame.setDevicePixelRatio(devicePixelRatio);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    const int last = kFramePixels - 1;
    switch (picture) {
        case ui::FramePicture::Raised:
            p.fillRect(QRect(0, 0, kFramePixels, kFramePixels), Qt::white);
            p.setPen(kDarkGrey);
            p.drawLine(last, 0, last, last);
            p.drawLine(0, last, last, last);
            break;
        case ui::FramePicture::Pressed:
            p.fillRect(QRect(0, 0, kFramePixels, kFramePixels), kDarkGrey);
            break;
        case ui::FramePicture::None:
            break;
    }
    return frame;
}

}  // namespace vmqt
