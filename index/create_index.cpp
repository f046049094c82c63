// Create Index: a text becomes a document record in Text and keyword records
// in Keys, and the view shows the new document.
//
// Invariants:
// 1. Nothing is stored when a check refuses the text. From the numbering on,
//    the number is consumed, even when the size check then refuses the text.
// 2. Document numbers never go backwards nor repeat: the new number is one
//    more than both the highest number this copy knows and the number of the
//    last Text record now on disk, which another running copy may have
//    stored. It is read under the Text table's append lock, which this copy
//    keeps until the flush of its document record (or a refusal) releases
//    it, so no other copy can store a document in between.
// 3. The keyword records are appended before the document record, in the
//    order of the words; nothing is undone when an engine call fails. Of the
//    engine's results only those of the append starts are tested; the
//    pending error is cleared after every assignment, append and unlock.
// 4. The routine yields to the window system only before the word loop of a
//    large text and at the end, so the drawer cannot change while records
//    are written.
// 5. A document whose tables could not be flushed is not shown as stored:
//    the routine says so and leaves the text in the box.
#include "index/create_index.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/messages.h"
#include "app/settings.h"
#include "index/word_split.h"
#include "store/bindings.h"
#include "store/names.h"
#include "xbase/d4.h"
#include "xbase/expr.h"

namespace app {

namespace {

constexpr std::size_t kShortestText = 10;
constexpr std::string_view kNotFoundNotice = "NO RECORD FOUND";
constexpr std::string_view kNoDrawer = "NONE";
constexpr int kBarStartWidth = 50;
constexpr int kBarFullWidth = 1950;
constexpr const char* kNotStored =
    "The document could not be written to disk (is the disk full?).  Its text is still in the "
    "window: make room and choose Create Index again.";

void clear_error(Program& program) {
    program.frmMain.lastReturnCode = xbase::code4errorCode(program.engine, 0);
}

// The two checks on the text; false (after the message) when it is refused.
bool text_accepted(Program& program) {
    ui::FrmMain& form = program.frmMain;
    if (trim_blanks(form.txtInput.text).size() < kShortestText) {
        showMessage(program, "Text must be at least 10 characters.");
        form.focus = ui::MainFocus::txtInput;
        return false;
    }
    if (form.txtInput.text.starts_with(kNotFoundNotice)) {
        showMessage(program, "Please enter text for indexing.");
        form.txtInput.text.clear();
        form.focus = ui::MainFocus::txtInput;
        return false;
    }
    return true;
}

// Items of the last Text record in record-number order, 0 for an empty table.
// The current record is the same afterwards.
std::int64_t last_stored_number(Program& program) {
    short& last = program.frmMain.lastReturnCode;
    const long count = xbase::d4recCountDo(program.text);
    if (count <= 0) return 0;
    const long current = xbase::d4recNo(program.text);
    last = xbase::d4goTo(program.text, count);
    const std::int64_t number =
        last == 0 ? xbase::f4long(xbase::d4field(program.text, store::kItemsField)) : 0;
    if (current >= 1) last = xbase::d4goTo(program.text, current);
    return number;
}

// The new document's number, now the highest; nothing when the numbers are
// used up (a stored number of 2147483647), as a repeated number would tie
// two documents to the same keyword records. The append lock of Text is
// taken first and held until release_numbering or the document's flush.
std::optional<std::int32_t> take_document_number(Program& program) {
    ui::FrmMain& form = program.frmMain;
    form.lastReturnCode = xbase::d4lockAppend(program.text);
    clear_error(program);
    const std::int64_t next =
        std::max<std::int64_t>(form.highestDocumentNumber, last_stored_number(program)) + 1;
    if (next > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    form.highestDocumentNumber = static_cast<std::int32_t>(next);
    return form.highestDocumentNumber;
}

// Lets other copies store again when this one stores nothing after all.
void release_numbering(Program& program) {
    program.frmMain.lastReturnCode = xbase::d4flush(program.text);
    clear_error(program);
}

// Small texts hide the bar; large ones show it at its start width and let
// the window system draw it.
void set_up_progress_bar(Program& program, bool large) {
    ui::FrmMain& form = program.frmMain;
    if (large) {
        form.LabelScale.rect.width = kBarStartWidth;
        form.LabelScale.foreColour = ui::kBlack;
    }
    form.ImageScale.visible = large;
    form.LabelScale.visible = large;
    if (large) program.platform.desktop.yieldOnce();
}

// The drawer for the keyword records: the trimmed text of the drawer box cut
// to the width of field, or nothing for an empty box or "NONE" in any case.
std::optional<std::string> chosen_drawer(Program& program, xbase::Field4* field) {
    std::string drawer = trim_blanks(program.frmMain.ComboFilter.text);
    if (drawer.empty() || xbase::upperCp1252(drawer) == kNoDrawer) return std::nullopt;
    const auto width = static_cast<std::size_t>(std::max(0L, xbase::f4len_v(field)));
    if (drawer.size() > width) drawer.resize(width);
    return drawer;
}

// Begins a new record of table. A refusal is reported and the record is
// assigned and appended all the same.
void begin_record(Program& program, xbase::Data4* table) {
    ui::FrmMain& form = program.frmMain;
    form.lastReturnCode = xbase::d4appendStartVB(table, 0);
    if (form.lastReturnCode == 0) return;
    clear_error(program);
    program.platform.desktop.setBusy(false);
    showMessage(program, "Error AppendStart");
    program.platform.desktop.setBusy(true);
}

void assign(Program& program, xbase::Field4* field, std::string_view text) {
    program.frmMain.lastReturnCode = store::assign_text(field, text);
    clear_error(program);
}

void assign_memo(Program& program, xbase::Field4* field, const std::string& text) {
    program.frmMain.lastReturnCode = xbase::f4memoAssign(field, text.c_str());
    clear_error(program);
}

// Appends the record begun on table and unlocks it; the append's result.
short append_and_unlock(Program& program, xbase::Data4* table) {
    short& last = program.frmMain.lastReturnCode;
    const short appended = last = xbase::d4append(table);
    clear_error(program);
    last = xbase::d4unlock(table);
    clear_error(program);
    return appended;
}

void write_keyword_records(Program& program, const std::vector<WordStep>& steps,
                           const std::string& number) {
    xbase::Data4* keys = program.keys;
    xbase::Field4* keyField = xbase::d4field(keys, store::kKeysField);
    xbase::Field4* itemsField = xbase::d4field(keys, store::kItemsField);
    xbase::Field4* orderField = xbase::d4field(keys, store::kOrderField);
    xbase::Field4* filterField = xbase::d4field(keys, store::kFilterField);
    const std::optional<std::string> drawer = chosen_drawer(program, filterField);

    for (const WordStep& step : steps) {
        if (const auto* bar = std::get_if<BarStep>(&step)) {
            program.frmMain.LabelScale.rect.width = bar->width;
            continue;
        }
        const auto& word = std::get<KeyStep>(step);
        begin_record(program, keys);
        assign(program, keyField, word.key);
        assign(program, itemsField, number);
        assign(program, orderField, std::to_string(word.position));
        if (drawer) assign(program, filterField, *drawer);
        append_and_unlock(program, keys);
    }
}

std::string date_text(const platform::CivilDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

// Writes the document record and flushes both tables; false when the append
// or the flush of the document record failed (a full disk, a file that
// became read-only), so the document is not safely stored.
bool write_document_record(Program& program, const std::string& number,
                           const platform::CivilDate& today) {
    xbase::Data4* text = program.text;
    begin_record(program, text);
    assign(program, xbase::d4field(text, store::kItemsField), number);
    assign_memo(program, xbase::d4field(text, store::kTextField), program.frmMain.txtInput.text);
    assign_memo(program, xbase::d4field(text, store::kDateField), date_text(today));
    const short appended = append_and_unlock(program, text);
    program.frmMain.lastReturnCode = xbase::d4flush(program.keys);
    program.frmMain.lastReturnCode = xbase::d4flush(text);
    return appended == 0 && program.frmMain.lastReturnCode == 0;
}

// The document could not be written: the view does not claim it was, and
// the text stays in the box to be stored again.
void report_not_stored(Program& program) {
    ui::FrmMain& form = program.frmMain;
    program.platform.desktop.setBusy(false);
    form.ImageScale.visible = false;
    form.LabelScale.visible = false;
    clear_error(program);
    showMessage(program, kNotStored);
}

void show_new_document(Program& program, std::int32_t number, long recordCount,
                       const platform::CivilDate& today) {
    ui::FrmMain& form = program.frmMain;
    program.platform.desktop.setBusy(false);
    form.LabelRecNo.caption = "1";
    form.LabelCount.caption = "1";
    form.LabelDelete.caption = "New";
    form.LabelRecord.caption = "#" + std::to_string(recordCount + 1);
    form.LabelDate.caption = program.platform.desktop.shortDate(today);
    form.ImageScale.visible = false;
    form.LabelScale.visible = false;
    form.txtInput.text = "Indexed";
    form.documentOnDisplay = number;
    form.deleted_text.clear();  // no deletion notice is on display any more
    program.platform.desktop.yieldOnce();
}

// Clears the deletion mark of the document record just appended, under its
// lock. Only a record newer than the recordCount records there were before
// is touched: were the append start refused, an older document would still
// be current, and its mark is not this routine's to change.
void recall_new_record(Program& program, long recordCount) {
    short& last = program.frmMain.lastReturnCode;
    const long recno = xbase::d4recNo(program.text);
    if (recno <= recordCount) return;
    last = xbase::d4lock(program.text, recno);
    clear_error(program);
    last = xbase::d4recall(program.text);
    last = xbase::d4unlock(program.text);
}

}  // namespace

void create_index(Program& program) {
    ui::FrmMain& form = program.frmMain;
    platform::Desktop& desktop = program.platform.desktop;
    if (!text_accepted(program)) return;

    const std::optional<std::int32_t> number = take_document_number(program);
    if (!number) {
        release_numbering(program);
        return;
    }
    const std::string numberText = std::to_string(*number);
    const long recordCount = std::max(0L, xbase::d4recCountDo(program.text));
    const std::string working = working_text(form.txtInput.text);

    desktop.setBusy(true);
    if (working.size() > kLongestWorkingText) {
        release_numbering(program);
        desktop.setBusy(false);
        showMessage(program,
                    "Maximum text size of 32768 bytes exceeded.  It is suggested that you "
                    "break the text into two files.");
        return;
    }
    const bool large = working.size() >= kLargeWorkingText;
    set_up_progress_bar(program, large);

    write_keyword_records(program, split_words(working, large, ui::kKeyWidth), numberText);
    form.LabelScale.rect.width = kBarFullWidth;

    const platform::CivilDate today = desktop.today();
    if (!write_document_record(program, numberText, today)) {
        report_not_stored(program);
        return;
    }
    show_new_document(program, *number, recordCount, today);
    recall_new_record(program, recordCount);
}

}  // namespace app
