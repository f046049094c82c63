// search: the window's search run on the command line, its hit list printed.
#include <fmt/core.h>

#include <algorithm>
#include <vector>

#include "app/number_text.h"
#include "cli/commands.h"
#include "cli/document_rows.h"
#include "cli/exit_status.h"
#include "cli/json.h"
#include "platform/cp1252.h"
#include "search/do_search.h"

namespace cli {

namespace {

// The text the search leaves in txtInput when it finds nothing.
constexpr std::string_view kNoRecordFound = "NO RECORD FOUND";

struct SearchOutcome {
    std::vector<DocumentRow> hits;
    std::string message;  // the box shown, or the "NO RECORD FOUND" text; cp1252
};

SearchOutcome collect_hits(Session& session, std::size_t messagesBefore) {
    app::Program& program = session.program();
    const ui::FrmMain& form = program.frmMain;
    SearchOutcome outcome;
    const int count =
        std::clamp(app::leading_whole_number(form.LabelCount.caption), 0, search::kMostHits);
    for (int hit = 1; hit <= count; ++hit) {
        if (seek_document(program, form.hitList[static_cast<std::size_t>(hit)]))
            outcome.hits.push_back(current_document(program));
    }
    const std::vector<std::string>& shown = session.dialogs().shown();
    if (shown.size() > messagesBefore)
        outcome.message = shown[messagesBefore];
    else if (count == 0 && form.txtInput.text.starts_with(kNoRecordFound))
        outcome.message = form.txtInput.text;
    return outcome;
}

void print_json(const SearchOutcome& outcome, const ui::FrmMain& form) {
    std::string hits;
    for (const DocumentRow& row : outcome.hits)
        hits += (hits.empty() ? "" : ", ") + row_json(row);
    fmt::print(R"({{"hits": [{}], "count": {}, "optimized": {}, "criteria": {}, "message": {}}})"
               "\n",
               hits, outcome.hits.size(), json_text(form.LabelOptimized.caption, true),
               json_text(form.queryExpression, true), json_text(outcome.message, true));
}

}  // namespace

int run_search(const CommonOptions& common, const SearchOptions& options) {
    Session session(common);
    if (!session.start()) return kNoStore;
    app::Program& program = session.program();
    ui::FrmMain& form = program.frmMain;
    form.txtSearch.text = platform::utf8ToCp1252(options.text);
    form.ComboFilter.text = platform::utf8ToCp1252(options.drawer);
    form.CheckTopOnly.checked = options.headerOnly;
    form.CheckTolerance.checked = options.tolerance;
    if (options.headerSize > 0) form.headerSize = static_cast<std::int16_t>(options.headerSize);

    const std::size_t messagesBefore = session.dialogs().shown().size();
    search::do_search(program);
    const SearchOutcome outcome = collect_hits(session, messagesBefore);

    if (options.json) {
        print_json(outcome, form);
    } else {
        // A box went to standard error already; the notice in the text box did not.
        if (session.dialogs().shown().size() == messagesBefore && !outcome.message.empty())
            session.dialogs().report(outcome.message);
        for (const DocumentRow& row : outcome.hits)
            fmt::print("{}\n", row_line(row));
    }
    return outcome.hits.empty() ? kNotDone : kDone;
}

}  // namespace cli
