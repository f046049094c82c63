// The platform services the routines receive, gathered in one place. The Qt
// window supplies window-system implementations, the tests scripted ones.
#pragma once

#include "platform/clipboard.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/printer.h"

namespace platform {

// References to the services; they must outlive every routine call that
// receives this struct.
struct Platform {
    Dialogs& dialogs;
    Clipboard& clipboard;
    Desktop& desktop;
    Printer& printer;
    FileSystem& files;
};

}  // namespace platform
