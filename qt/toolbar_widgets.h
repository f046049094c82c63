// The toolbar's widgets: the picture buttons, the hover frame pBorder drawn
// behind them, and the surfaces whose mouse moves clear the frame (the
// window's background and the toolbar frame Frame1).
#pragma once

#include <QFrame>
#include <QString>
#include <QWidget>

#include "ui/frm_main.h"

namespace vmqt {

// A 32 x 32 picture showing its word. Any mouse button presses it.
class PictureButton : public QWidget {
    Q_OBJECT

  public:
    PictureButton(int index, QWidget* parent);
    void setWord(const QString& word);
    QSize sizeHint() const override;

  signals:
    void hovered(int index);
    void pressed(int index);
    void released(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int index_;
    QString word_;
};

// pBorder: shows one of the frame pictures, or none.
class HoverFrame : public QWidget {
    Q_OBJECT

  public:
    explicit HoverFrame(QWidget* parent);
    void setPicture(ui::FramePicture picture);
    ui::FramePicture picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ui::FramePicture picture_ = ui::FramePicture::None;
};

// A surface that reports every mouse move over itself (not over its
// children).
class TrackingFrame : public QFrame {
    Q_OBJECT

  public:
    explicit TrackingFrame(QWidget* parent = nullptr);

  signals:
    void mouseMoved();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

}  // namespace vmqt
