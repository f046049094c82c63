// Save As, frmSave's OK.
#include "index/save_as.h"

#include <optional>
#include <string>

#include "app/messages.h"
#include "app/settings.h"
#include "index/open_text_file.h"
#include "platform/cp1252.h"

namespace app {

void mnuSave_Click(Program& program) {
    show_file_dialog(program, program.frmSave);
}

void frmSave_Thebutton_Click(Program& program, int index) {
    ui::FrmSave& dialog = program.frmSave;
    std::optional<std::string> chosen = chosen_path(dialog, index);
    if (!chosen) {
        dialog.visible = false;
        return;
    }
    std::string path = *chosen;

    if (trim_blanks(ui::FileDialog::extensionOf(path)).empty()) {
        if (dialog.Typelist.listIndex != 1) {
            showMessage(program, "Please enter a file extension name.");
            return;
        }
        path += ".txt";
        set_file_name(dialog, path);
    }

    if (program.platform.files.exists(path)) {
        platform::Answer answer =
            showMessage(program, path + " file already exists.  OK to overwrite file?",
                        platform::Icon::Question, platform::Buttons::YesNoCancel);
        if (answer != platform::Answer::Yes) return;
    }

    platform::FileResult written = program.platform.files.writeFile(
        path, platform::textToFile(program.frmMain.txtInput.text + "\r\n"));
    if (!written.ok) {
        report_file_error(program, written.error, path);
        return;
    }
    dialog.visible = false;
}

}  // namespace app
