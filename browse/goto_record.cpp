// First, Prior, Next and Last Record.
#include "browse/goto_record.h"

#include <string>

#include "browse/show_document.h"
#include "xbase/d4.h"

namespace browse {

void show_single_record(app::Program& program, const std::string& recordCaption) {
    ui::FrmMain& form = program.frmMain;
    show_document_text(program);
    form.LabelRecNo.caption = "1";
    form.LabelRecord.caption = recordCaption;
    form.LabelDate.caption = document_date_caption(program);
    form.LabelCount.caption = "1";
}

void goto_record(app::Program& program, std::int16_t up_down) {
    ui::FrmMain& form = program.frmMain;
    form.txtInput.foreColour = ui::kBlack;
    switch (up_down) {
        case kFirst:
            form.lastReturnCode = xbase::d4top(program.text);
            break;
        case kPrevious:
            form.lastReturnCode = xbase::d4skip(program.text, -1);
            break;
        case kNext:
            form.lastReturnCode = xbase::d4skip(program.text, 1);
            break;
        case kLast:
            form.lastReturnCode = xbase::d4bottom(program.text);
            break;
        default:
            break;
    }
    form.lastReturnCode = xbase::code4errorCode(program.engine, 0);
    show_single_record(program, "#" + std::to_string(xbase::d4recNo(program.text)));
}

}  // namespace browse
