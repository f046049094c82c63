// Message and input boxes as modal Qt dialogs over the main window.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/dialogs.h"

namespace vmqt {

class QtDialogs : public platform::Dialogs {
  public:
    // The window the boxes are centred over; none: the screen.
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    // Run just before a box is shown, so the window behind it is up to date.
    void setBeforeBox(std::function<void()> hook) { beforeBox_ = std::move(hook); }

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Icon icon, platform::Buttons buttons) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& proposed) override;

  private:
    QPointer<QWidget> parent_;
    std::function<void()> beforeBox_;
};

}  // namespace vmqt
