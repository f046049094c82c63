// The Open File dialog frmOpen: the file dialog captioned "Open File"; its OK
// reads the chosen file into the main window's text box.
#pragma once

#include "ui/file_dialog.h"

namespace ui {

struct FrmOpen : FileDialog {
    FrmOpen() : FileDialog("Open File") {}
};

}  // namespace ui
