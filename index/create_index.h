// Create Index: stores the text of the main window's text box as a new
// document and writes one keyword record for each of its kept words.
#pragma once

#include "app/program.h"

namespace app {

// Checks the text of txtInput (at least 10 characters without the blanks at
// its ends, not the search's "NO RECORD FOUND" notice, at most 32766
// characters), takes the next document number, writes a Keys record for
// every kept word (key, number, position, drawer of ComboFilter) and then the
// Text record (number, text, today's date), and shows the new document as
// document 1 of 1 with "Indexed" in the text box. A text refused by the size
// check has still consumed its number.
void create_index(Program& program);

}  // namespace app
