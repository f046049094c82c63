// The main window's own small commands: Clear Screen, Show Errors, the
// Header Size caption of the Options menu, About and Help. (The focus that
// goes to the search box when the window becomes active is
// main_window_activated, app/startup.h.)
#pragma once

#include "app/program.h"

namespace app {

// Empties the view: txtInput and txtSearch (whose trimmed text is kept as
// the last search string first), the status labels back to "0", "0", "",
// "#0", "", "", black text, focus in txtSearch, no document on display. The
// hit list, deleted_text and the summary list are left alone.
void clear_screen(Program& program);

// Show Errors: toggles mnuErrors' check mark and with it the engine's own
// error reports (checked: on).
void mnuErrors_Click(Program& program);

// The Options menu opens: mnuHeadersize reads "Header Size (<size>)".
void mnuOptions_Click(Program& program);

// About: an empty line, then the title text.
void mnuAbout_Click(Program& program);

// Help: the help viewer shows the contents of the program's help file.
void mnuHelp2_Click(Program& program);

}  // namespace app
