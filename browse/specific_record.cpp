// Specific Record.
#include "browse/specific_record.h"

#include <string>

#include "app/number_text.h"
#include "browse/goto_record.h"
#include "store/names.h"
#include "ui/frm_main.h"
#include "xbase/d4.h"

namespace browse {

void specific_record(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    const std::string answer = program.platform.dialogs.inputBox("Please enter record number.",
                                                                 std::string(ui::kProgramName), "");
    if (app::leading_number(answer) == 0) return;
    form.lastReturnCode =
        xbase::d4tagSelect(program.text, xbase::d4tag(program.text, store::kItemsTag));
    form.lastReturnCode = xbase::d4seek(program.text, answer.c_str());
    show_single_record(program, "#" + answer);
}

}  // namespace browse
