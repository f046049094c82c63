// Save As: frmSave, the file dialog whose OK writes the main window's text
// to a text file. Its other events are the shared ones of open_text_file.h.
#pragma once

#include "app/program.h"

namespace app {

// File menu "Save As": shows frmSave.
void mnuSave_Click(Program& program);

// frmSave's buttons. OK on the chosen path: a path without extension gets
// ".txt" when the text files type is chosen (and shows in the file-name box)
// and is refused with "Please enter a file extension name." otherwise; an
// existing file is replaced only after a Yes to the overwrite question; the
// text of txtInput plus a line end is written in the platform's text-file
// form and the dialog hidden. A file that cannot be written is reported with
// the system's description and the dialog stays open. Cancel or an empty
// name hides the dialog.
void frmSave_Thebutton_Click(Program& program, int index);

}  // namespace app
