// The display sequence for the record on which the document table stands.
#include "browse/show_document.h"

#include <algorithm>

#include "store/bindings.h"
#include "store/names.h"
#include "xbase/d4.h"

namespace browse {

namespace {

// Up to length characters of text from pos; empty past its end.
std::string_view piece(std::string_view text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? text.substr(pos, length) : std::string_view();
}

bool all_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number_of(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

}  // namespace

std::string date_caption(std::string_view storedDate, platform::Desktop& desktop) {
    if (storedDate.size() == 8 && all_digits(storedDate)) {
        const platform::CivilDate date{number_of(storedDate.substr(0, 4)),
                                       number_of(storedDate.substr(4, 2)),
                                       number_of(storedDate.substr(6, 2))};
        if (platform::isValidDate(date)) {
            std::string shown = desktop.shortDate(date);
            if (!shown.empty()) return shown;
        }
    }
    std::string rearranged(piece(storedDate, 4, 2));
    rearranged += '/';
    rearranged += piece(storedDate, 6, 2);
    rearranged += '/';
    rearranged += piece(storedDate, 0, 4);
    return rearranged;
}

std::string document_date_caption(app::Program& program) {
    return date_caption(store::field_text(xbase::d4field(program.text, store::kDateField)),
                        program.platform.desktop);
}

void show_document_text(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    std::string text =
        store::memo_text(xbase::d4field(program.text, store::kTextField), program.platform.dialogs);
    form.lastReturnCode = xbase::d4deleted(program.text);
    if (form.lastReturnCode == 1) {
        form.deleted_text = std::move(text);
        form.txtInput.text = kDeletedNotice;
        form.LabelDelete.caption = "Deleted";
        form.txtInput.foreColour = ui::kNoticeColour;
    } else {
        form.txtInput.text = std::move(text);
        form.LabelDelete.caption.clear();
        form.deleted_text.clear();
        form.txtInput.foreColour = ui::kBlack;
    }

    // A seek that missed every record leaves the table at end of file, on no
    // document.
    const long record = xbase::d4recNo(program.text);
    if (record >= 1 && record <= xbase::d4recCountDo(program.text)) {
        form.documentOnDisplay = static_cast<std::int32_t>(
            xbase::f4long(xbase::d4field(program.text, store::kItemsField)));
    } else {
        form.documentOnDisplay.reset();
    }
}

void show_document(app::Program& program) {
    ui::FrmMain& form = program.frmMain;
    show_document_text(program);
    form.LabelDate.caption = document_date_caption(program);
    form.LabelRecord.caption = "#" + std::to_string(xbase::d4recNo(program.text));
    form.lastReturnCode = xbase::code4errorCode(program.engine, 0);
}

}  // namespace browse
