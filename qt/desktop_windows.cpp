// Making the windows and wiring the services to them.
#include "qt/desktop_windows.h"

#include "index/open_text_file.h"
#include "index/save_as.h"
#include "qt/qt_desktop.h"
#include "qt/qt_dialogs.h"

namespace vmqt {

DesktopWindows::DesktopWindows(app::Program& program, QtDialogs* dialogs, QtDesktop* desktop)
    : session_(program),
      main_(std::make_unique<MainWindow>(session_)),
      open_(new FileDialogWindow(session_, program.frmOpen, app::frmOpen_Thebutton_Click,
                                 main_.get())),
      save_(new FileDialogWindow(session_, program.frmSave, app::frmSave_Thebutton_Click,
                                 main_.get())),
      filter_(new FilterDialogWindow(session_, main_.get())),
      dialogs_(dialogs),
      desktop_(desktop) {
    open_->setObjectName("frmOpen");
    save_->setObjectName("frmSave");
    main_->bringForwardAfter(QStringLiteral("mnuOpen"), open_);
    main_->bringForwardAfter(QStringLiteral("mnuSave"), save_);
    main_->bringForwardAfter(QStringLiteral("mnuSetupFolders"), filter_);
    auto redraw = [this] { session_.redraw(); };
    if (dialogs_) {
        dialogs_->setParentWindow(main_.get());
        dialogs_->setBeforeBox(redraw);
    }
    if (desktop_) {
        desktop_->setParentWindow(main_.get());
        desktop_->setBeforeYield(redraw);
    }
    QObject::connect(&session_, &Session::programEnded, main_.get(), &QWidget::close);
}

DesktopWindows::~DesktopWindows() {
    // The services outlive the windows; they must not call back into them.
    if (dialogs_) {
        dialogs_->setParentWindow(nullptr);
        dialogs_->setBeforeBox({});
    }
    if (desktop_) {
        desktop_->setParentWindow(nullptr);
        desktop_->setBeforeYield({});
    }
}

}  // namespace vmqt
