// The program's windows put together over one running program: the session,
// the main window, the Open File, Save As and Drawer Setup dialogs, with
// the Qt services pointed at the main window (boxes over it, the window
// redrawn before each box and yield).
#pragma once

#include <memory>

#include "app/program.h"
#include "qt/file_dialog_window.h"
#include "qt/filter_dialog_window.h"
#include "qt/main_window.h"
#include "qt/session.h"

namespace vmqt {

class QtDesktop;
class QtDialogs;

class DesktopWindows {
  public:
    // dialogs and desktop, when the program uses Qt's, are wired to the
    // windows; either may be null (tests that script them).
    DesktopWindows(app::Program& program, QtDialogs* dialogs, QtDesktop* desktop);
    ~DesktopWindows();
    DesktopWindows(const DesktopWindows&) = delete;
    DesktopWindows& operator=(const DesktopWindows&) = delete;

    Session& session() { return session_; }
    MainWindow& mainWindow() { return *main_; }
    FileDialogWindow& openDialog() { return *open_; }
    FileDialogWindow& saveDialog() { return *save_; }
    FilterDialogWindow& filterDialog() { return *filter_; }

  private:
    Session session_;
    std::unique_ptr<MainWindow> main_;
    FileDialogWindow* open_;      // owned by the main window
    FileDialogWindow* save_;      // owned by the main window
    FilterDialogWindow* filter_;  // owned by the main window
    QtDialogs* dialogs_;
    QtDesktop* desktop_;
};

}  // namespace vmqt
