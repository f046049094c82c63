// Placing a dialog's widgets from the state's rects, and the dialog's size
// that holds them all.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QSize>
#include <QWidget>
#include <initializer_list>

#include "qt/text_edge.h"
#include "ui/controls.h"

namespace vmqt {

// The client size around controls, with the margin of the left-most control
// kept on the right and at the bottom too.
inline QSize designSize(std::initializer_list<const ui::Control*> controls) {
    int right = 0;
    int bottom = 0;
    int margin = 1 << 20;
    for (const ui::Control* control : controls) {
        right = std::max(right, control->rect.left + control->rect.width);
        bottom = std::max(bottom, control->rect.top + control->rect.height);
        margin = std::min(margin, control->rect.left);
    }
    return {toPixels(right + margin), toPixels(bottom + margin)};
}

// Centres window on the screen it is on.
inline void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

}  // namespace vmqt
