// The search routine: start, parse, checks, query relation, collection of the
// hits and the ending that reports what was found.
//
// Design note. The pure steps (keywords, duplicates, drawer, query text,
// required count) live in search_parse; this file runs them against the
// window state and the engine. Invariants:
//   1. No query relation outlives the call: every way out after relate4init
//      releases it and leaves the engine's error state cleared.
//   2. The hit list is written in slots 1 to the hit count only, in the
//      ascending document-number order the relation delivers; higher slots
//      keep what earlier searches left.
//   3. A document qualifies at most once: when its count of matching keyword
//      records reaches the required count exactly.
//   4. The busy pointer is off before every box and at the end.
//   5. A refusal before the relation exists leaves txtInput, LabelRecord,
//      LabelDelete, the hit list and the query expression as they were.
#include "search/do_search.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/messages.h"
#include "app/settings.h"
#include "browse/show_document.h"
#include "search/search_parse.h"
#include "store/bindings.h"
#include "store/names.h"
#include "xbase/d4.h"
#include "xbase/relate4.h"

namespace search {

namespace {

constexpr const char* kEmptySearchString =
    "You must specify the Search String.  To retrieve your last query string, double-click on "
    "the Search Text box.";
constexpr const char* kTooManyKeywords = "The search string has more than 20 keywords.";
constexpr const char* kDuplicateKeywords =
    "The search string includes duplicate or overlapping keywords.";
constexpr const char* kUnquotableDrawer =
    "The folder name contains an apostrophe, a double quote and a closing bracket together, so "
    "it cannot be searched.  Please choose or type another folder.";
constexpr const char* kNoRelation = "Query relation cannot be created.";
constexpr const char* kTooManyHits =
    "There are more than 100 hits.  The system will display the first 100 hits.  You may want "
    "to refine the Search String.";
constexpr std::string_view kNothingMatched =
    "NO RECORD FOUND.  You may want to modify the Search String.  \r\n\r\n"
    "Have you tried to run the search with 'High Tolerance?  \r\n"
    "You may want to use the asterisk wildcard character (*), e.g. friend*.  \r\n"
    "Have you specified the correct Folder? \r\n"
    "Please review the online help for recommended search formats.";
constexpr std::string_view kNoneQualified =
    "NO RECORD FOUND.  You may want to modify the Search String.  Also, review the online help "
    "for recommended search formats. (2)";

void refuse(app::Program& program, const char* message) {
    app::showMessage(program, message);
    program.frmMain.focus = ui::MainFocus::txtSearch;
}

void release(app::Program& program, xbase::Relate4* relation) {
    ui::FrmMain& form = program.frmMain;
    form.lastReturnCode = xbase::relate4freeVB(relation, 0);
    form.lastReturnCode = xbase::code4errorCode(program.engine, 0);
}

// The drawer field's width: the search cuts the drawer as Create Index does
// when it stores it.
std::size_t filter_width(app::Program& program) {
    const long width = xbase::f4len_v(xbase::d4field(program.keys, store::kFilterField));
    return width > 0 ? static_cast<std::size_t>(width) : std::string::npos;
}

// The view after a search that qualified no document.
void show_nothing_found(app::Program& program, std::string_view notice) {
    ui::FrmMain& form = program.frmMain;
    form.txtInput.text = notice;
    form.LabelRecNo.caption = "0";
    form.LabelCount.caption = "0";
    form.LabelDelete.caption.clear();
    form.LabelRecord.caption = "#0";
    form.LabelDate.caption.clear();
    form.focus = ui::MainFocus::txtSearch;
    form.txtInput.foreColour = ui::kMessageColour;
    form.documentOnDisplay.reset();
}

// The first hit, looked up by its document number text on the Items tag of
// the document table (which stays selected). The record label shows that
// text, not the record number.
void show_first_hit(app::Program& program, const std::string& items) {
    ui::FrmMain& form = program.frmMain;
    form.lastReturnCode =
        xbase::d4tagSelect(program.text, xbase::d4tag(program.text, store::kItemsTag));
    form.lastReturnCode = xbase::d4seek(program.text, items.c_str());
    browse::show_document_text(program);
    form.LabelRecNo.caption = "1";
    form.LabelRecord.caption = "#" + items;
    form.LabelDate.caption = browse::document_date_caption(program);
    form.LabelCount.caption = "1";
}

// Walks the matching keyword records from the one relate4top stands on, in
// document-number order, counting records per document; fills the hit list
// and shows the first hit. Returns the hit count. Once a document qualifies,
// the rest of its records can change nothing (its count only grows past the
// required count), so the walk passes over them to the next document. A
// document with fewer records than required can never qualify: at each
// document's first record the engine passes over such documents, as many as
// it can count without handing out their records one by one.
int collect_hits(app::Program& program, xbase::Relate4* relation, int required) {
    ui::FrmMain& form = program.frmMain;
    xbase::Field4* itemsField = xbase::d4field(program.keys, store::kItemsField);
    int hits = 0;
    int matches = 1;
    std::string number;         // a document number not (yet) in the hit list
    std::string_view previous;  // the document number of the record before
    bool first = true;
    bool counted = false;  // the count label shows the hits so far
    bool qualifies = false;
    for (short r = 0; r == 0; r = form.lastReturnCode = qualifies
                                                            ? xbase::relate4skipGroup(relation)
                                                            : xbase::relate4skip(relation, 1)) {
        std::string_view cur = store::field_view(itemsField);
        qualifies = false;
        if (!first && cur == previous) {
            qualifies = ++matches == required;
        } else {
            if (required > 1) {
                // The label shows the count from the first record on, also
                // when the engine then passes over every document.
                if (!counted) form.LabelCount.caption = std::to_string(hits);
                counted = true;
                r = form.lastReturnCode = xbase::relate4skipSmallGroups(relation, required);
                if (r != 0) break;
                cur = store::field_view(itemsField);
            }
            qualifies = required == 1;
            matches = 1;
            first = false;
            // A document that qualifies at its first record has its number
            // written into the hit list at once, and compared with there.
            std::string& kept = qualifies && hits < kMostHits ? form.hitList[hits + 1] : number;
            kept.assign(cur);
            previous = kept;
        }
        if (qualifies) {
            if (hits == kMostHits) {
                program.platform.desktop.setBusy(false);
                app::showMessage(program, kTooManyHits);
                return hits;
            }
            ++hits;
            if (required > 1) form.hitList[hits] = previous;  // qualified at a later record
            if (hits == 1) show_first_hit(program, form.hitList[1]);
        }
        // The label follows every record, but changes only with the count.
        if (qualifies || !counted) form.LabelCount.caption = std::to_string(hits);
        counted = true;
    }
    return hits;
}

}  // namespace

void do_search(app::Program& program) {
    ui::FrmMain& form = program.frmMain;

    // The engine reports its own errors while a search runs, and after.
    form.lastReturnCode = xbase::code4errOff(program.engine, 0);
    form.LabelRecNo.caption.clear();
    form.LabelCount.caption.clear();
    form.LabelDate.caption.clear();
    const std::string searchString = app::trim_blanks(form.txtSearch.text);
    if (searchString.empty()) {
        refuse(program, kEmptySearchString);
        return;
    }

    const ParsedSearch parsed = parse_search_string(searchString);
    if (parsed.tooMany) {
        refuse(program, kTooManyKeywords);
        return;
    }
    form.keywordList.fill({});
    std::copy(parsed.keywords.begin(), parsed.keywords.end(), form.keywordList.begin() + 1);
    if (has_duplicate_keywords(parsed.keywords)) {
        refuse(program, kDuplicateKeywords);
        return;
    }

    // The query text is built before the relation, so that a drawer name
    // that cannot be quoted is refused before the engine is involved.
    const QueryOptions options{search_drawer(form.ComboFilter.text, filter_width(program)),
                               form.CheckTopOnly.checked, form.headerSize};
    const std::optional<std::string> query = build_query_expression(parsed.keywords, options);
    if (!query) {
        refuse(program, kUnquotableDrawer);
        return;
    }

    xbase::Relate4* relation = xbase::relate4init(program.keys);
    if (relation == nullptr) {
        form.lastReturnCode = xbase::code4errorCode(program.engine, 0);
        app::showMessage(program, kNoRelation);
        return;
    }
    form.queryExpression = *query;
    const int required = required_count(parsed.keywords.size(), form.CheckTolerance.checked);

    form.lastReturnCode = xbase::relate4querySet(relation, query->c_str());
    form.lastReturnCode = xbase::relate4sortSet(relation, store::kItemsField);
    form.LabelOptimized.caption = xbase::relate4optimizeable(relation) != 0 ? "Y" : "N";
    form.lastReturnCode = xbase::relate4skipEnableVB(relation, -1);
    if (form.lastReturnCode != 0) {
        form.lastReturnCode = xbase::code4errorCode(program.engine, 0);
        release(program, relation);
        return;
    }
    const short first = form.lastReturnCode = xbase::relate4top(relation);

    platform::Desktop& desktop = program.platform.desktop;
    desktop.setBusy(true);
    form.txtInput.text.clear();
    if (first != 0) {
        desktop.setBusy(false);
        release(program, relation);
        show_nothing_found(program, kNothingMatched);
        return;
    }
    form.txtInput.foreColour = ui::kBlack;
    const int hits = collect_hits(program, relation, required);
    desktop.setBusy(false);
    release(program, relation);
    if (hits == 0) show_nothing_found(program, kNoneQualified);
}

}  // namespace search
