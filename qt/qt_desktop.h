// The desktop services through Qt: the wait cursor, one processEvents() per
// yield, the help window, and the system clock and short date.
#pragma once

#include <QPointer>
#include <functional>

#include "platform/desktop.h"
#include "qt/help_window.h"

namespace vmqt {

class QtDesktop : public platform::Desktop {
  public:
    ~QtDesktop() override;

    // Run before each yield, so the window shows the state as it is now.
    void setBeforeYield(std::function<void()> hook) { beforeYield_ = std::move(hook); }
    // The window the help viewer belongs to.
    void setParentWindow(QWidget* parent) { parent_ = parent; }

    void setBusy(bool busy) override;
    void yieldOnce() override;
    void showHelp(const std::string& path) override;
    platform::CivilDate today() override;
    std::string shortDate(const platform::CivilDate& date) override;

    bool busy() const { return busy_; }
    // The help viewer, once Help has opened it.
    HelpWindow* helpWindow() const { return help_; }

  private:
    bool busy_ = false;
    std::function<void()> beforeYield_;
    QPointer<QWidget> parent_;
    QPointer<HelpWindow> help_;
};

}  // namespace vmqt
