// The routing table of the main window's menus, shortcut keys and toolbar.
// Each entry calls one routine with its constant and ignores the outcome.
#include "app/commands.h"

#include <array>

#include "app/main_window_routines.h"
#include "app/pack_database.h"
#include "app/startup.h"
#include "browse/do_delete.h"
#include "browse/gonext.h"
#include "browse/goto_record.h"
#include "browse/specific_record.h"
#include "browse/summary.h"
#include "index/clipboard_import.h"
#include "index/create_index.h"
#include "index/edit_commands.h"
#include "index/open_text_file.h"
#include "index/print_text.h"
#include "index/save_as.h"
#include "search/do_search.h"
#include "search/drawers.h"
#include "search/search_options.h"

namespace app {

namespace {

constexpr MenuCommand kMenuCommands[] = {
    {"mnuOpen", mnuOpen_Click},
    {"mnuCreate", create_index},
    {"mnuSearch", search::do_search},
    {"mnuFirst", [](Program& p) { browse::gonext(p, browse::kFirst); }},
    {"mnuPrevious", [](Program& p) { browse::gonext(p, browse::kPrevious); }},
    {"mnuNext", [](Program& p) { browse::gonext(p, browse::kNext); }},
    {"mnuLast", [](Program& p) { browse::gonext(p, browse::kLast); }},
    {"mnuSummary", browse::mnuSummary_Click},
    {"mnuShowParticular", browse::specific_record},
    {"mnuDBFirst", [](Program& p) { browse::goto_record(p, browse::kFirst); }},
    {"mnuDBNext", [](Program& p) { browse::goto_record(p, browse::kNext); }},
    {"mnuDBPrior", [](Program& p) { browse::goto_record(p, browse::kPrevious); }},
    {"mnuDBLast", [](Program& p) { browse::goto_record(p, browse::kLast); }},
    {"mnuSave", mnuSave_Click},
    {"mnuPrint", print_text},
    {"mnuDelete", [](Program& p) { browse::do_delete(p, browse::kDeleteMode); }},
    {"mnuUndelete", [](Program& p) { browse::do_delete(p, browse::kUndeleteMode); }},
    {"mnuPack", pack_database},
    {"mnuClear", clear_screen},
    {"mnuExit", exit_program},
    {"mnuEdit", mnuEdit_Click},
    {"mnuUndo", mnuUndo_Click},
    {"mnuCut", mnuCut_Click},
    {"mnuCopy", mnuCopy_Click},
    {"mnuPaste", mnuPaste_Click},
    {"mnuOptions", mnuOptions_Click},
    {"mnuFontsize", search::mnuFontsize_Click},
    {"mnuHeadersize", search::mnuHeadersize_Click},
    {"mnuSetupFolders", search::mnuSetupFolders_Click},
    {"mnuCriteria", search::mnuCriteria_Click},
    {"mnuErrors", mnuErrors_Click},
    {"mnuHelp2", mnuHelp2_Click},
    {"mnuAbout", mnuAbout_Click},
};

// Toolbar commands 0, 1, 2 and 6 close the summary list first; its menu
// entry keeps its check mark.
void hide_summary(Program& p) {
    p.frmMain.ComboSummary.visible = false;
}

void black_text(Program& p) {
    p.frmMain.txtInput.foreColour = ui::kBlack;
}

constexpr std::array<Command, ui::kToolButtons> kToolbarCommands = {
    import_clipboard,  // Paste: hides the summary itself
    [](Program& p) {   // Index
        hide_summary(p);
        black_text(p);
        create_index(p);
    },
    [](Program& p) {  // Find
        black_text(p);
        hide_summary(p);
        search::do_search(p);
    },
    [](Program& p) { browse::gonext(p, browse::kPrevious); },  // Prior
    [](Program& p) { browse::gonext(p, browse::kNext); },      // Next
    print_text,                                                // Print
    [](Program& p) {                                           // Clear
        hide_summary(p);
        clear_screen(p);
    },
};

}  // namespace

std::span<const MenuCommand> menu_commands() {
    return kMenuCommands;
}

Command menu_command(std::string_view menu) {
    for (const MenuCommand& command : kMenuCommands) {
        if (command.menu == menu) return command.run;
    }
    return nullptr;
}

Command shortcut_command(std::string_view key) {
    static const ui::MainMenu kMenu;
    if (key.empty()) return nullptr;
    for (const auto& node : kMenu.tree()) {
        if (node.entry != nullptr && node.entry->shortcut == key)
            return menu_command(node.entry->name);
    }
    return nullptr;
}

Command toolbar_command(int index) {
    if (index < 0 || index >= ui::kToolButtons) return nullptr;
    return kToolbarCommands[static_cast<std::size_t>(index)];
}

void pButton_MouseDown(Program& program, int index) {
    program.frmMain.pButton_MouseDown();
    if (Command run = toolbar_command(index)) run(program);
}

void pButton_MouseUp(Program& program) {
    program.platform.desktop.yieldOnce();
    program.frmMain.pButton_MouseUp();
}

}  // namespace app
