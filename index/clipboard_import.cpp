// Import (Clipboard).
#include "index/clipboard_import.h"

namespace app {

void import_clipboard(Program& program) {
    ui::FrmMain& form = program.frmMain;
    form.ComboSummary.visible = false;
    form.txtInput.text = program.platform.clipboard.text();
    form.txtInput.foreColour = ui::kBlack;
}

}  // namespace app
