// Command routing: every menu entry, shortcut key and toolbar button of the
// main window mapped to the routine it runs, with the constant it passes.
// The window looks a command up here and runs it; no handler looks at a
// routine's outcome.
#pragma once

#include <span>
#include <string_view>

#include "app/program.h"

namespace app {

using Command = void (*)(Program&);

// A menu entry (by its name in ui::MainMenu) and its command. Entries that
// only open their menu (File, Database Management, Help) have none; Edit and
// Options run theirs as the menu opens.
struct MenuCommand {
    std::string_view menu;
    Command run;
};

// The whole menu table.
std::span<const MenuCommand> menu_commands();

// The command of a menu entry, of a shortcut key spelt as the menu shows it
// ("Ctrl+F3", "F12"), or of toolbar button index (0 to 6); nullptr when
// nothing is mapped.
Command menu_command(std::string_view menu);
Command shortcut_command(std::string_view key);
Command toolbar_command(int index);

// A mouse button (any) pressed on toolbar button index: the frame looks
// pressed, then the button's command runs.
void pButton_MouseDown(Program& program, int index);

// A mouse button released on the toolbar: one yield to the window system,
// then the frame looks raised again.
void pButton_MouseUp(Program& program);

}  // namespace app
