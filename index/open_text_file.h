// Open Text File: the routines of the file dialogs that frmOpen and frmSave
// share (loading, the drive, directory and file lists, the file type, the
// picture-name check, the path an OK names), and frmOpen's own OK, which
// reads the chosen file into the main window's text box.
#pragma once

#include <optional>
#include <string>

#include "app/program.h"
#include "ui/file_dialog.h"

namespace app {

// Shows a file dialog without blocking the main window. The first call loads
// it: type list with "All Files (*.*)" chosen, empty file name, pattern "*.*",
// and the program folder in Dirname and the lists. Later calls show it as it
// was left (folder, pattern, file name).
void show_file_dialog(Program& program, ui::FileDialog& dialog);

// The directory list was pressed: the highlighted folder becomes the current
// one (Dirname with a trailing separator); after one yield to the window
// system the lists show that folder.
void Dir1_MouseDown(Program& program, ui::FileDialog& dialog);

// Another drive was chosen in Drive1: its root becomes the current folder.
void Drive1_Change(Program& program, ui::FileDialog& dialog);

// A file of the file list was clicked or double-clicked: its name (without
// folder) goes into the file-name box; nothing is opened.
void File1_Click(ui::FileDialog& dialog);

// An entry of the type list was chosen: pattern "*.txt" for the text files
// entry, "*.*" otherwise, and the file list is listed again.
void Typelist_Click(Program& program, ui::FileDialog& dialog);

// Sets the file-name box's text and runs its change event, the picture-name
// check.
void set_file_name(ui::FileDialog& dialog, const std::string& name);

// The path a press of button index names: the trimmed file name, taken as it
// is when it is an absolute path and relative to Dirname otherwise, trimmed
// again. Nothing for Cancel (any index but 0) or an empty name: the dialog
// is then to be hidden.
std::optional<std::string> chosen_path(const ui::FileDialog& dialog, int index);

// The message of a file that cannot be read or written: the system's
// description of the error, ".  (File ", the path and ")".
void report_file_error(Program& program, const std::string& error, const std::string& path);

// File menu "Open Text File": shows frmOpen.
void mnuOpen_Click(Program& program);

// frmOpen's buttons: OK reads the file at the chosen path into txtInput,
// replacing its text, gives txtInput the focus and hides the dialog; a file
// that cannot be opened or read is reported and the dialog stays open with
// the text box unchanged. Cancel or an empty name hides the dialog.
void frmOpen_Thebutton_Click(Program& program, int index);

}  // namespace app
