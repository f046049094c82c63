// Drawers: the Setup Folders command and the routines of the Drawer Setup
// dialog frmFilter, in which the user names the twelve drawers.
#pragma once

#include "app/program.h"

namespace search {

// The Drawer Setup dialog's buttons (buttonOK index).
inline constexpr int kDrawerClose = 1;
inline constexpr int kDrawerOk = 2;

// Setup Folders: loads the dialog unless it is loaded already and shows it,
// without blocking the main window.
void mnuSetupFolders_Click(app::Program& program);

// Loading the dialog: shows the twelve rows, each box holding its drawer name
// from the settings file ("NONE" for a missing key), and the help text.
void frmFilter_Load(app::Program& program);

// A click of button index: OK (2) writes the twelve names, trimmed and in the
// case typed, to the settings file, refills the drawer box with them and
// selects its first entry; Close (1) keeps everything. Both unload the dialog.
void buttonOK_Click(app::Program& program, int index);

}  // namespace search
