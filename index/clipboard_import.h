// Import (Clipboard): the clipboard's text replaces the main window's text.
#pragma once

#include "app/program.h"

namespace app {

// Hides the summary list, replaces the text of txtInput with the clipboard's
// text (empty when the clipboard holds none) and sets its colour to black.
// The labels, the hit list and the document on display stay as they were.
void import_clipboard(Program& program);

}  // namespace app
