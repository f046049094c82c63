// The one display sequence of the program: the record on which the document
// table Text stands, put into the view (text or deletion notice, status
// labels). The hit navigation and the summary show documents through it; the
// search's first hit and record navigation use its parts.
#pragma once

#include <string>
#include <string_view>

#include "app/program.h"
#include "platform/desktop.h"

namespace browse {

// What txtInput shows in place of a provisionally deleted document.
inline constexpr std::string_view kDeletedNotice =
    "This record has been provisionally DELETED.  Double-click to view deleted record.  To "
    "restore the record, choose Un-delete from the File menu.  To remove the record "
    "permanently, you must run the Pack Database.  See online help.";

// Shows the current Text record: show_document_text, then LabelDate,
// LabelRecord ("#" and the record number) and a cleared engine error state.
// The caller has positioned the table and sets LabelRecNo and LabelCount.
void show_document(app::Program& program);

// The text part of the display: the document's text in black, or the
// deletion notice in the notice colour with "Deleted" in LabelDelete and the
// text kept in deleted_text. Also records the document on display (none when
// the table stands on no record).
void show_document_text(app::Program& program);

// The LabelDate caption for the current Text record (see date_caption).
std::string document_date_caption(app::Program& program);

// The stored date text YYYYMMDD as the status line shows it: the desktop's
// short date, or, when it is no valid date, the text rearranged to
// MM/DD/YYYY (a blank date gives "  /  /    ").
std::string date_caption(std::string_view storedDate, platform::Desktop& desktop);

}  // namespace browse
