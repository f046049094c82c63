// Painting and mouse handling of the toolbar's widgets.
#include "qt/toolbar_widgets.h"

#include <QMouseEvent>
#include <QPainter>

#include "qt/toolbar_pictures.h"

namespace vmqt {

PictureButton::PictureButton(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setFixedSize(kButtonPixels, kButtonPixels);
}

void PictureButton::setWord(const QString& word) {
    if (word == word_) return;
    word_ = word;
    update();
}

QSize PictureButton::sizeHint() const {
    return {kButtonPixels, kButtonPixels};
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, buttonPicture(word_, devicePixelRatioF()));
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit hovered(index_);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed(index_);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit released(index_);
}

HoverFrame::HoverFrame(QWidget* parent) : QWidget(parent) {
    // Moves over the frame's visible ring belong to neither the button nor
    // the background: they leave the frame as it is.
    setFixedSize(kFramePixels, kFramePixels);
}

void HoverFrame::setPicture(ui::FramePicture picture) {
    if (picture == picture_) return;
    picture_ = picture;
    update();
}

void HoverFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, framePicture(picture_, devicePixelRatioF()));
}

TrackingFrame::TrackingFrame(QWidget* parent) : QFrame(parent) {
    setMouseTracking(true);
}

void TrackingFrame::mouseMoveEvent(QMouseEvent* event) {
    QFrame::mouseMoveEvent(event);
    emit mouseMoved();
}

}  // namespace vmqt
