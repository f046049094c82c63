// Program entry, loading of the main window, and shut-down: from launch to an
// idle main window with both tables open, and back.
#pragma once

#include <string>

#include "app/program.h"

namespace app {

// Program entry and the loading of the main window, in order: engine start,
// settings, restore of missing or empty data files from their spare copies,
// the two tables, the highest document number and the drawer box. folder is
// the program folder. False when the program must end (program.ended is set
// and the reason was shown).
bool start_program(Program& program, const std::string& folder);

// The main window became the active window: the focus goes to the search box.
void main_window_activated(Program& program);

// The main window closes: tables and engine are closed, each step on its own,
// and the file dialogs are closed.
void close_main_window(Program& program);

// Exit: the shut-down steps, then the program ends.
void exit_program(Program& program);

// "Cannot open " + path in upper case + the rest of the message; misspelt
// "Cannnot" for the document table, as the program has always shown it.
std::string cannot_open_message(const std::string& path, bool documentTable);

}  // namespace app
