// Delete and un-delete of the document on display.
//
// The command acts on frmMain.documentOnDisplay, never on a hit-list entry:
// after record navigation the position label reads "1" while the view shows
// some other document, and the command must not change a document the user
// does not see. The document record is changed first; only when its mark
// really changed are the keyword records changed too, so the two tables never
// disagree because a lock was refused.
#include "browse/do_delete.h"

#include <string>

#include "app/messages.h"
#include "store/names.h"
#include "xbase/d4.h"
#include "xbase/relate4.h"

namespace browse {

namespace {

// Locks the current record of table, marks or unmarks it, unlocks it; the
// engine's error state is cleared after the lock and after the unlock. The
// result of the mark.
short change_mark(app::Program& program, xbase::Data4* table, bool markDeleted) {
    short& last = program.frmMain.lastReturnCode;
    last = xbase::d4lock(table, xbase::d4recNo(table));
    last = xbase::code4errorCode(program.engine, 0);
    short marked = markDeleted ? xbase::d4delete(table) : xbase::d4recall(table);
    last = marked;
    last = xbase::d4unlock(table);
    last = xbase::code4errorCode(program.engine, 0);
    return marked;
}

void stop_with_message(app::Program& program, const char* text) {
    program.platform.desktop.setBusy(false);
    app::showMessage(program, text);
}

}  // namespace

void do_delete(app::Program& program, std::int16_t mode) {
    ui::FrmMain& form = program.frmMain;
    short& last = form.lastReturnCode;
    const bool markDeleted = mode == kDeleteMode;
    program.platform.desktop.setBusy(true);

    last = xbase::d4tagSelect(program.text, xbase::d4tag(program.text, store::kItemsTag));
    if (!form.documentOnDisplay) {
        stop_with_message(program, "Cannot locate record.");
        return;
    }
    const std::string number = std::to_string(*form.documentOnDisplay);
    last = xbase::d4seek(program.text, number.c_str());
    if (last != 0) {
        stop_with_message(program, "Cannot locate record.");
        return;
    }

    if (change_mark(program, program.text, markDeleted) != 0) {
        // The record is locked elsewhere or cannot be written: it kept its
        // mark, so the view and the keyword records stay as they are.
        program.platform.desktop.setBusy(false);
        return;
    }
    if (markDeleted) {
        form.txtInput.foreColour = ui::kNoticeColour;
        form.LabelDelete.caption = "Deleted";
    } else {
        form.txtInput.foreColour = ui::kBlack;
        form.LabelDelete.caption = "Restored";
    }

    xbase::Relate4* relation = xbase::relate4init(program.keys);
    if (relation == nullptr) {
        last = xbase::code4errorCode(program.engine, 0);
        stop_with_message(program, "Delete/Undelete query relation cannot be created.");
        return;
    }
    last = xbase::relate4querySet(relation, ("Items = " + number).c_str());
    last = xbase::relate4top(relation);
    while (last == 0) {
        change_mark(program, program.keys, markDeleted);
        last = xbase::relate4skip(relation, 1);
    }
    program.platform.desktop.setBusy(false);
    last = xbase::relate4freeVB(relation, 0);
    last = xbase::code4errorCode(program.engine, 0);

    if (mode == kUndeleteMode && !form.deleted_text.empty()) form.txtInput.text = form.deleted_text;
}

}  // namespace browse
