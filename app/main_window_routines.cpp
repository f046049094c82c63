// The main window's small commands.
#include "app/main_window_routines.h"

#include "app/messages.h"
#include "app/settings.h"
#include "xbase/d4.h"

namespace app {

void clear_screen(Program& program) {
    ui::FrmMain& form = program.frmMain;
    form.lastSearchString = trim_blanks(form.txtSearch.text);
    form.txtInput.text.clear();
    form.txtSearch.text.clear();
    form.focus = ui::MainFocus::txtSearch;
    form.txtInput.foreColour = ui::kBlack;
    form.LabelRecNo.caption = "0";
    form.LabelCount.caption = "0";
    form.LabelDelete.caption.clear();
    form.LabelRecord.caption = "#0";
    form.LabelDate.caption.clear();
    form.LabelOptimized.caption.clear();
    form.documentOnDisplay.reset();
}

void mnuErrors_Click(Program& program) {
    ui::MenuEntry& entry = program.frmMain.menu.mnuErrors;
    entry.checked = !entry.checked;
    program.frmMain.lastReturnCode =
        xbase::code4errOff(program.engine, entry.checked ? short{0} : short{-1});
}

void mnuOptions_Click(Program& program) {
    program.frmMain.menu.mnuHeadersize.caption =
        "Header Size (" + std::to_string(program.frmMain.headerSize) + ")";
}

void mnuAbout_Click(Program& program) {
    showMessage(program, "\r\n" + program.frmMain.titleText);
}

void mnuHelp2_Click(Program& program) {
    program.platform.desktop.showHelp(program.frmMain.helpPath);
}

}  // namespace app
