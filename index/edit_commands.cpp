// The Edit menu's commands and enabling, and txtInput's double-click.
#include "index/edit_commands.h"

#include <string>

namespace app {

namespace {

// The focused text box's selection on the clipboard, which is emptied first.
void copy_selection(Program& program, const ui::TextBox& box) {
    platform::Clipboard& clipboard = program.platform.clipboard;
    clipboard.clear();
    std::string selection = box.selectedText();
    if (!selection.empty()) clipboard.setText(selection);
}

// Replaces the selection as typing would; replacing nothing with nothing is
// no edit and keeps the box's undo step.
void replace_selection(ui::TextBox& box, const std::string& replacement) {
    if (!replacement.empty() || !box.selectedText().empty()) box.replaceSelection(replacement);
}

}  // namespace

void mnuEdit_Click(Program& program) {
    ui::FrmMain& form = program.frmMain;
    ui::MainMenu& menu = form.menu;
    menu.mnuUndo.enabled = form.txtInput.canUndo();
    const ui::TextBox* active = form.activeTextBox();
    bool selection = active != nullptr && !active->selectedText().empty();
    menu.mnuCut.enabled = selection;
    menu.mnuCopy.enabled = selection;
    menu.mnuPaste.enabled = !program.platform.clipboard.text().empty();
}

void mnuUndo_Click(Program& program) {
    program.frmMain.txtInput.undoLastEdit();
}

void mnuCut_Click(Program& program) {
    ui::TextBox* active = program.frmMain.activeTextBox();
    if (active == nullptr) return;
    copy_selection(program, *active);
    replace_selection(*active, "");
}

void mnuCopy_Click(Program& program) {
    ui::TextBox* active = program.frmMain.activeTextBox();
    if (active != nullptr) copy_selection(program, *active);
}

void mnuPaste_Click(Program& program) {
    ui::TextBox* active = program.frmMain.activeTextBox();
    if (active != nullptr) replace_selection(*active, program.platform.clipboard.text());
}

void txtInput_DblClick(Program& program) {
    ui::FrmMain& form = program.frmMain;
    if (!form.deleted_text.empty()) form.txtInput.text = form.deleted_text;
}

}  // namespace app
