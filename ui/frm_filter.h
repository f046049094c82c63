// The Drawer Setup dialog frmFilter as plain state: twelve rows of a label
// and a box of at most 6 characters for the drawer names, the help text box,
// and the Close and OK buttons.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ui/controls.h"

namespace ui {

inline constexpr int kDrawers = 12;
inline constexpr int kDrawerNameLength = 6;

// The text the load step puts into the help box Text1.
extern const std::string_view kDrawerHelpText;

struct FrmFilter {
    FrmFilter();

    std::string caption;   // "Drawer Setup"
    bool loaded = false;   // loaded by Setup Folders, unloaded by either button
    bool visible = false;  // shown without blocking the main window

    // Rows 1 to 12, indexed by row number; slot 0 is unused. Every row is
    // placed and captioned "Drawer " + i as designed; rows 2 to 12 stay
    // hidden until the load step shows them.
    std::array<Label, kDrawers + 1> LabelFilter;
    std::array<TextBox, kDrawers + 1> txtFilter;  // Courier New, at most 6 characters
    TextBox Text1;                                // the multi-line help text

    // Indexed by button number: 1 "Close", 2 "OK"; slot 0 is unused.
    std::array<Button, 3> buttonOK;
};

}  // namespace ui
