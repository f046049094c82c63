// Print: the main window's text, word-wrapped, on the default printer.
#pragma once

#include "app/program.h"

namespace app {

// Prints the text of txtInput in 12 points, 1080 twips in from the page's
// left and top edge. Words end at their blank (a run of blanks gives one-blank
// words); a word that would end beyond the page width less 2400 twips starts
// a new line, and a new line below the page height less 2400 twips a new
// page. Line breaks inside the text travel inside their word. A text of
// blanks only is refused with "There is no text to print.", and a machine
// without a printer is told "No printer is available.".
void print_text(Program& program);

}  // namespace app
