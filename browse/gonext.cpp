// Hit navigation: the new position from the status captions, the seek of its
// hit-list entry and the display.
#include "browse/gonext.h"

#include <cstdint>

#include "app/messages.h"
#include "app/number_text.h"
#include "browse/show_document.h"
#include "xbase/d4.h"

namespace browse {

void gonext(app::Program& program, std::int32_t modevar) {
    ui::FrmMain& form = program.frmMain;
    form.txtInput.foreColour = ui::kBlack;

    const std::int64_t position = app::leading_whole_number(form.LabelRecNo.caption);
    const std::int64_t count = app::leading_whole_number(form.LabelCount.caption);
    std::int64_t p = 0;
    switch (modevar) {
        case kNext:
            p = position + 1;
            if (p > count) {
                app::showMessage(program, "End of records.");
                return;
            }
            break;
        case kPrevious:
            p = position - 1;
            if (p < 1) {
                app::showMessage(program, "Beginning of records.");
                return;
            }
            break;
        case kFirst:
            p = 1;
            break;
        case kLast:
            p = count;
            break;
        default:
            return;
    }
    form.LabelRecNo.caption = std::to_string(p);

    // An entry outside the list is no key: the seek is skipped and the view
    // shows the record the table stands on.
    if (p >= 0 && p < ui::kHitSlots)
        form.lastReturnCode = xbase::d4seek(program.text, form.hitList[p].c_str());
    show_document(program);

    if (form.ComboSummary.visible) {
        program.platform.desktop.yieldOnce();
        form.ComboSummary.select(app::leading_whole_number(form.LabelRecNo.caption));
    }
}

}  // namespace browse
