// The platform services of the desktop program, all in one place: Qt's
// boxes, clipboard, desktop and printer, and the local file system.
#pragma once

#include "platform/local_file_system.h"
#include "platform/platform.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_desktop.h"
#include "qt/qt_dialogs.h"
#include "qt/qt_printer.h"

namespace vmqt {

struct QtPlatform {
    QtDialogs dialogs;
    QtClipboard clipboard;
    QtDesktop desktop;
    QtPrinter printer;
    platform::LocalFileSystem files;
    platform::Platform services{dialogs, clipboard, desktop, printer, files};
};

}  // namespace vmqt
