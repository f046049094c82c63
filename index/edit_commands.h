// The Edit menu (Undo, Cut, Copy, Paste) and the main text box's
// double-click, which reveals the text of a provisionally deleted document.
#pragma once

#include "app/program.h"

namespace app {

// The Edit menu opens: Undo is enabled when txtInput can undo its last
// edit; Cut and Copy when the text box with the focus has a selection (with
// no text box focused there is none); Paste when the clipboard holds text.
void mnuEdit_Click(Program& program);

// Undoes txtInput's last edit, wherever the focus is.
void mnuUndo_Click(Program& program);

// Cut, Copy and Paste act on the text box with the focus and do nothing
// while another control has it. Cut and Copy empty the clipboard and put
// the selection on it (an empty selection leaves it empty); Cut and Paste
// replace the selection, with nothing or with the clipboard's text.
void mnuCut_Click(Program& program);
void mnuCopy_Click(Program& program);
void mnuPaste_Click(Program& program);

// Double-click in txtInput: while a deletion notice stands for a deleted
// document (deleted_text not empty) the text box shows that document's text.
void txtInput_DblClick(Program& program);

}  // namespace app
