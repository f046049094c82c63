// The order of the main window's menu tree.
#include "ui/main_menu.h"

#include <array>

namespace ui {

namespace {

struct Slot {
    MenuEntry MainMenu::*entry;  // nullptr: a separator
    int level;
};

constexpr Slot kSeparator{nullptr, 1};

constexpr std::array kTree = {
    Slot{&MainMenu::mnuFile, 0},
    Slot{&MainMenu::mnuOpen, 1},
    kSeparator,
    Slot{&MainMenu::mnuCreate, 1},
    kSeparator,
    Slot{&MainMenu::mnuSearch, 1},
    Slot{&MainMenu::mnuFirst, 1},
    Slot{&MainMenu::mnuPrevious, 1},
    Slot{&MainMenu::mnuNext, 1},
    Slot{&MainMenu::mnuLast, 1},
    Slot{&MainMenu::mnuSummary, 1},
    kSeparator,
    Slot{&MainMenu::mnuManagement, 1},
    Slot{&MainMenu::mnuShowParticular, 2},
    Slot{&MainMenu::mnuDBFirst, 2},
    Slot{&MainMenu::mnuDBNext, 2},
    Slot{&MainMenu::mnuDBPrior, 2},
    Slot{&MainMenu::mnuDBLast, 2},
    kSeparator,
    Slot{&MainMenu::mnuSave, 1},
    kSeparator,
    Slot{&MainMenu::mnuPrint, 1},
    kSeparator,
    Slot{&MainMenu::mnuDelete, 1},
    Slot{&MainMenu::mnuUndelete, 1},
    kSeparator,
    Slot{&MainMenu::mnuPack, 1},
    kSeparator,
    Slot{&MainMenu::mnuClear, 1},
    kSeparator,
    Slot{&MainMenu::mnuExit, 1},
    Slot{&MainMenu::mnuEdit, 0},
    Slot{&MainMenu::mnuUndo, 1},
    kSeparator,
    Slot{&MainMenu::mnuCut, 1},
    Slot{&MainMenu::mnuCopy, 1},
    Slot{&MainMenu::mnuPaste, 1},
    Slot{&MainMenu::mnuOptions, 0},
    Slot{&MainMenu::mnuFontsize, 1},
    Slot{&MainMenu::mnuHeadersize, 1},
    Slot{&MainMenu::mnuSetupFolders, 1},
    kSeparator,
    Slot{&MainMenu::mnuCriteria, 1},
    Slot{&MainMenu::mnuErrors, 1},
    Slot{&MainMenu::mnuHelp, 0},
    Slot{&MainMenu::mnuHelp2, 1},
    Slot{&MainMenu::mnuAbout, 1},
};

template <typename Menu, typename Entry>
std::vector<MenuNode<Entry>> walk(Menu& menu) {
    std::vector<MenuNode<Entry>> nodes;
    nodes.reserve(kTree.size());
    for (const Slot& slot : kTree) {
        nodes.push_back({slot.entry ? &(menu.*slot.entry) : nullptr, slot.level});
    }
    return nodes;
}

}  // namespace

std::vector<MenuNode<MenuEntry>> MainMenu::tree() {
    return walk<MainMenu, MenuEntry>(*this);
}

std::vector<MenuNode<const MenuEntry>> MainMenu::tree() const {
    return walk<const MainMenu, const MenuEntry>(*this);
}

MenuEntry* MainMenu::find(std::string_view name) {
    for (const Slot& slot : kTree) {
        if (slot.entry && (this->*slot.entry).name == name) return &(this->*slot.entry);
    }
    return nullptr;
}

}  // namespace ui
