// The Drawer Setup dialog and the Setup Folders command.
#include "search/drawers.h"

#include <string>

#include "app/settings.h"

namespace search {

namespace {

std::string drawer_key(int drawer) {
    return "Drawer " + std::to_string(drawer);
}

void unload(ui::FrmFilter& dialog) {
    dialog.loaded = false;
    dialog.visible = false;
}

}  // namespace

void mnuSetupFolders_Click(app::Program& program) {
    if (!program.frmFilter.loaded) frmFilter_Load(program);
    program.frmFilter.visible = true;
}

void frmFilter_Load(app::Program& program) {
    ui::FrmFilter& dialog = program.frmFilter;
    for (int i = 1; i <= ui::kDrawers; ++i) {
        dialog.LabelFilter[i].caption = drawer_key(i);
        dialog.LabelFilter[i].visible = true;
        dialog.txtFilter[i].visible = true;
        dialog.txtFilter[i].text = app::read_drawer_name(program, i);
    }
    dialog.Text1.text = ui::kDrawerHelpText;
    dialog.loaded = true;
}

void buttonOK_Click(app::Program& program, int index) {
    ui::FrmFilter& dialog = program.frmFilter;
    if (index == kDrawerOk) {
        ui::ComboBox& drawers = program.frmMain.ComboFilter;
        drawers.clear();
        for (int i = 1; i <= ui::kDrawers; ++i) {
            // The box takes at most six characters; text put there any other
            // way is cut the same, so the settings file and the drawer box
            // agree with what start-up reads back.
            const std::string& typed = dialog.txtFilter[i].text;
            const std::string name = app::trim_blanks(typed.substr(0, ui::kDrawerNameLength));
            app::write_setting(program, drawer_key(i), name);
            drawers.addItem(name);
        }
        drawers.select(0);
    }
    if (index == kDrawerOk || index == kDrawerClose) unload(dialog);
}

}  // namespace search
