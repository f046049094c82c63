// The main window's menu bar as state: one entry per menu command with its
// caption ("&" before the access letter), shortcut key, check mark, enabled
// and visible flags, and the tree that orders entries and separators.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct MenuEntry {
    std::string name{};      // "mnuCreate"
    std::string caption{};   // "Create &Index"
    std::string shortcut{};  // "Ctrl+F3", "F4", ...; empty when the entry has none
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

// One line of the menu tree: an entry, or a separator (entry == nullptr).
// level 0 is the menu bar, 1 a menu, 2 the Database Management submenu.
template <typename Entry>
struct MenuNode {
    Entry* entry;
    int level;
};

struct MainMenu {
    MenuEntry mnuFile{"mnuFile", "&File"};
    MenuEntry mnuOpen{"mnuOpen", "Open Text File"};
    MenuEntry mnuCreate{"mnuCreate", "Create &Index", "Ctrl+F3"};
    MenuEntry mnuSearch{"mnuSearch", "Run &Search", "F4"};
    MenuEntry mnuFirst{"mnuFirst", "Show First", "F5"};
    MenuEntry mnuPrevious{"mnuPrevious", "Show P&revious", "F6"};
    MenuEntry mnuNext{"mnuNext", "Show &Next", "F7"};
    MenuEntry mnuLast{"mnuLast", "Show Last", "F8"};
    MenuEntry mnuSummary{"mnuSummary", "Summary", "F9"};
    MenuEntry mnuManagement{"mnuManagement", "Database Management"};
    MenuEntry mnuShowParticular{"mnuShowParticular", "Specific Record"};
    MenuEntry mnuDBFirst{"mnuDBFirst", "First Record", "Ctrl+F5"};
    MenuEntry mnuDBNext{"mnuDBNext", "NextRecord", "Ctrl+F7"};
    MenuEntry mnuDBPrior{"mnuDBPrior", "Prior Record", "Ctrl+F6"};
    MenuEntry mnuDBLast{"mnuDBLast", "Last Record", "Ctrl+F8"};
    MenuEntry mnuSave{"mnuSave", "&Save &As"};
    MenuEntry mnuPrint{"mnuPrint", "&Print"};
    MenuEntry mnuDelete{"mnuDelete", "&Delete Record"};
    MenuEntry mnuUndelete{"mnuUndelete", "Un-Delete Record"};
    MenuEntry mnuPack{"mnuPack", "Pac&k Database"};
    MenuEntry mnuClear{"mnuClear", "&Clear Screen", "F12"};
    MenuEntry mnuExit{"mnuExit", "E&xit"};

    MenuEntry mnuEdit{"mnuEdit", "&Edit"};
    MenuEntry mnuUndo{"mnuUndo", "&Undo", "Ctrl+Z"};
    MenuEntry mnuCut{"mnuCut", "Cu&t", "Ctrl+X"};
    MenuEntry mnuCopy{"mnuCopy", "&Copy", "Ctrl+C"};
    MenuEntry mnuPaste{"mnuPaste", "&Paste", "Ctrl+V"};

    MenuEntry mnuOptions{"mnuOptions", "&Options"};
    MenuEntry mnuFontsize{"mnuFontsize", "&Font Size"};
    MenuEntry mnuHeadersize{"mnuHeadersize", "Header Size"};
    MenuEntry mnuSetupFolders{"mnuSetupFolders", "Setup Folders"};
    MenuEntry mnuCriteria{"mnuCriteria", "Search Criteria"};
    MenuEntry mnuErrors{"mnuErrors", "Show &Errors"};

    MenuEntry mnuHelp{"mnuHelp", "&Help"};
    MenuEntry mnuHelp2{"mnuHelp2", "&Help"};
    MenuEntry mnuAbout{"mnuAbout", "&About"};

    // Every entry and separator from top to bottom, each menu's entries right
    // after its top-level entry.
    std::vector<MenuNode<MenuEntry>> tree();
    std::vector<MenuNode<const MenuEntry>> tree() const;

    // The entry of that name, or nullptr.
    MenuEntry* find(std::string_view name);
};

}  // namespace ui
