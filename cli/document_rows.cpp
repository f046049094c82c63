// Reading and printing document rows.
#include "cli/document_rows.h"

#include <fmt/core.h>

#include "browse/summary.h"
#include "cli/json.h"
#include "cli/terminal_platform.h"
#include "platform/civil_date.h"
#include "store/bindings.h"
#include "store/names.h"
#include "xbase/d4.h"

namespace cli {

namespace {

// YYYY-MM-DD for a stored YYYYMMDD date; empty when it is none.
std::string iso_date(const std::string& stored) {
    if (stored.size() != 8) return {};
    for (char c : stored)
        if (c < '0' || c > '9') return {};
    const platform::CivilDate date{std::stoi(stored.substr(0, 4)), std::stoi(stored.substr(4, 2)),
                                   std::stoi(stored.substr(6, 2))};
    if (!platform::isValidDate(date)) return {};
    return fmt::format("{}-{}-{}", stored.substr(0, 4), stored.substr(4, 2), stored.substr(6, 2));
}

}  // namespace

bool seek_document(app::Program& program, const std::string& number) {
    short& last = program.frmMain.lastReturnCode;
    last = xbase::d4tagSelect(program.text, xbase::d4tag(program.text, store::kItemsTag));
    last = xbase::d4seek(program.text, number.c_str());
    const bool found = last == 0;
    last = xbase::code4errorCode(program.engine, 0);
    return found;
}

DocumentRow current_document(app::Program& program) {
    DocumentRow row;
    row.number =
        static_cast<std::int32_t>(xbase::f4long(xbase::d4field(program.text, store::kItemsField)));
    row.date = iso_date(store::field_text(xbase::d4field(program.text, store::kDateField)));
    row.deleted = xbase::d4deleted(program.text) == 1;
    row.summary = browse::summary_line(store::memo_text(
        xbase::d4field(program.text, store::kTextField), program.platform.dialogs));
    return row;
}

std::string row_line(const DocumentRow& row) {
    // One line on the terminal: tabs and stray line ends become blanks.
    std::string summary = terminal_text(row.summary);
    for (char& c : summary)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return fmt::format("{:>8} {} {:<10}  {}", row.number, row.deleted ? '*' : ' ', row.date,
                       summary);
}

std::string row_json(const DocumentRow& row) {
    return fmt::format(R"({{"number": {}, "date": {}, "deleted": {}, "summary": {}}})", row.number,
                       row.date.empty() ? "null" : json_string(row.date),
                       row.deleted ? "true" : "false", json_text(row.summary));
}

}  // namespace cli
