// Wait cursor, yields, help viewer and dates.
#include "qt/qt_desktop.h"

#include <QApplication>
#include <QCursor>

#include "qt/text_edge.h"

namespace vmqt {

QtDesktop::~QtDesktop() {
    if (busy_) QApplication::restoreOverrideCursor();
    // A help window without a parent is ours to delete.
    if (help_ && help_->parent() == nullptr) delete help_;
}

void QtDesktop::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtDesktop::yieldOnce() {
    if (beforeYield_) beforeYield_();
    QApplication::processEvents();
}

void QtDesktop::showHelp(const std::string& path) {
    if (!help_) help_ = new HelpWindow(parent_);
    help_->showFile(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())));
}

platform::CivilDate QtDesktop::today() {
    return platform::localToday();
}

std::string QtDesktop::shortDate(const platform::CivilDate& date) {
    // The C library writes the date in the locale's own encoding.
    const std::string local = platform::localShortDate(date);
    return fromQt(QString::fromLocal8Bit(local.data(), static_cast<qsizetype>(local.size())));
}

}  // namespace vmqt
