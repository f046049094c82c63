// The summary list and its selection handling.
#include "browse/summary.h"

#include <algorithm>

#include "app/number_text.h"
#include "app/settings.h"
#include "browse/show_document.h"
#include "store/bindings.h"
#include "store/names.h"
#include "xbase/d4.h"

namespace browse {

namespace {

constexpr std::size_t kLineLength = 100;
constexpr int kCloseLine = 0;

void close_summary(ui::FrmMain& form) {
    form.ComboSummary.visible = false;
    form.menu.mnuSummary.checked = false;
}

// Seeks hit-list entry hit on the Text table; an entry outside the list is no
// seek at all, and the table stays where it stands.
void seek_hit(app::Program& program, int hit) {
    if (hit < 0 || hit >= ui::kHitSlots) return;
    program.frmMain.lastReturnCode =
        xbase::d4seek(program.text, program.frmMain.hitList[hit].c_str());
}

}  // namespace

std::string summary_line(std::string_view text) {
    std::string line(text.substr(0, kLineLength));
    for (std::size_t pair = line.find("\r\n"); pair != std::string::npos;
         pair = line.find("\r\n")) {
        line =
            app::trim_blanks(line.substr(0, pair)) + " " + app::trim_blanks(line.substr(pair + 2));
    }
    return line;
}

void mnuSummary_Click(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    ui::ComboBox& list = form.ComboSummary;
    if (list.visible) {
        close_summary(form);
        return;
    }
    form.menu.mnuSummary.checked = true;
    list.rect.top = form.txtInput.rect.top;
    list.rect.left = form.txtInput.rect.left;
    list.rect.width = form.txtInput.rect.width;
    list.visible = true;

    list.clear();
    list.addItem("[Close Summary]");
    // The hit list holds at most 100 hits, whatever the count label reads.
    const int count =
        std::min(app::leading_whole_number(form.LabelCount.caption), ui::kHitSlots - 1);
    for (int hit = 1; hit <= count; ++hit) {
        seek_hit(program, hit);
        list.addItem(summary_line(store::memo_text(xbase::d4field(program.text, store::kTextField),
                                                   program.platform.dialogs)));
    }

    const int position = app::leading_whole_number(form.LabelRecNo.caption);
    list.select(position);
    if (list.listIndex == position) ComboSummary_Click(program);
}

void ComboSummary_Click(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    const int line = form.ComboSummary.listIndex;
    if (line == kCloseLine) {
        close_summary(form);
        return;
    }
    if (line < 0 || line == app::leading_number(form.LabelRecNo.caption)) return;
    form.txtInput.foreColour = ui::kBlack;
    form.LabelRecNo.caption = std::to_string(line);
    seek_hit(program, line);
    show_document(program);
}

}  // namespace browse
