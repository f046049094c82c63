// The running program: the four forms as state, the platform services, and the
// engine and table handles that start-up sets and every routine shares. Each
// routine of the program takes a Program& and runs one event to its end.
#pragma once

#include <string>

#include "platform/platform.h"
#include "ui/frm_filter.h"
#include "ui/frm_main.h"
#include "ui/frm_open.h"
#include "ui/frm_save.h"

namespace xbase {
class Code4;
class Data4;
}  // namespace xbase

namespace app {

struct Program {
    explicit Program(platform::Platform& services) : platform(services) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    platform::Platform& platform;

    ui::FrmMain frmMain;
    ui::FrmOpen frmOpen;
    ui::FrmSave frmSave;
    ui::FrmFilter frmFilter;

    // Handles set by start-up; null until then and after shut-down.
    xbase::Code4* engine = nullptr;
    xbase::Data4* keys = nullptr;  // the keyword table Keys
    xbase::Data4* text = nullptr;  // the document table Text

    // The folder of the program's files, with a trailing separator: the folder
    // of the executable, or the one given with --folder.
    std::string programFolder;

    // Set when a routine ends the program (Exit, a fatal start-up failure, a
    // finished Pack); the window closes and the process exits with exitCode.
    bool ended = false;
    int exitCode = 0;
};

}  // namespace app
