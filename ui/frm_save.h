// The Save As dialog frmSave: the file dialog captioned "Save As"; its OK
// writes the main window's text to the chosen file.
#pragma once

#include "ui/file_dialog.h"

namespace ui {

struct FrmSave : FileDialog {
    FrmSave() : FileDialog("Save As") {}
};

}  // namespace ui
