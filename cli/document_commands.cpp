// show, delete, undelete and list: single documents and the whole table.
#include <fmt/core.h>

#include <string>

#include "browse/do_delete.h"
#include "browse/show_document.h"
#include "cli/commands.h"
#include "cli/document_rows.h"
#include "cli/exit_status.h"
#include "cli/terminal_platform.h"
#include "platform/cp1252.h"
#include "store/names.h"
#include "xbase/d4.h"

namespace cli {

int run_show(const CommonOptions& common, std::int32_t number) {
    Session session(common);
    if (!session.start()) return kNoStore;
    app::Program& program = session.program();
    if (!seek_document(program, std::to_string(number))) {
        session.dialogs().report(fmt::format("there is no document {}", number));
        return kNotDone;
    }
    browse::show_document(program);
    const ui::FrmMain& form = program.frmMain;
    const bool deleted = form.LabelDelete.caption == "Deleted";
    if (deleted)
        session.dialogs().report(fmt::format(
            "document {} is provisionally deleted (undelete restores it, pack removes it)",
            number));
    // As a text file holds it, ending with a line end (added only when the
    // text lacks one, so that show and add give back the same text).
    std::string text = deleted ? form.deleted_text : form.txtInput.text;
    if (!text.ends_with("\r\n")) text += "\r\n";
    fmt::print("{}", platform::cp1252ToUtf8(platform::textToFile(text)));
    return kDone;
}

int run_delete(const CommonOptions& common, std::int32_t number, bool undelete) {
    Session session(common);
    if (!session.start()) return kNoStore;
    app::Program& program = session.program();
    ui::FrmMain& form = program.frmMain;
    // The document is the one on display: do_delete finds it by its number
    // and reports "Cannot locate record." when there is none.
    form.documentOnDisplay = number;
    const std::size_t messagesBefore = session.dialogs().shown().size();
    browse::do_delete(program, undelete ? browse::kUndeleteMode : browse::kDeleteMode);
    const char* done = undelete ? "Restored" : "Deleted";
    if (session.dialogs().shown().size() != messagesBefore || form.LabelDelete.caption != done) {
        if (session.dialogs().shown().size() == messagesBefore)
            session.dialogs().report(
                fmt::format("document {} is locked or cannot be changed", number));
        return kNotDone;
    }
    fmt::print("Document {} {}.\n", number, undelete ? "restored" : "deleted");
    return kDone;
}

int run_list(const CommonOptions& common, bool json) {
    Session session(common);
    if (!session.start()) return kNoStore;
    app::Program& program = session.program();
    xbase::Data4* text = program.text;
    short& last = program.frmMain.lastReturnCode;
    last = xbase::d4tagSelect(text, xbase::d4tag(text, store::kItemsTag));
    std::string objects;
    std::size_t count = 0;
    for (last = xbase::d4top(text); last == 0 && xbase::d4recNo(text) <= xbase::d4recCountDo(text);
         last = xbase::d4skip(text, 1)) {
        const DocumentRow row = current_document(program);
        ++count;
        if (json)
            objects += (objects.empty() ? "" : ", ") + row_json(row);
        else
            fmt::print("{}\n", row_line(row));
    }
    last = xbase::code4errorCode(program.engine, 0);
    if (json)
        fmt::print(R"({{"documents": [{}], "count": {}}})"
                   "\n",
                   objects, count);
    return kDone;
}

}  // namespace cli
