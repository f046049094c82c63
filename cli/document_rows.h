// Documents as the list and search commands print them: number, date,
// deletion mark and summary line (the summary list's line for the text),
// as a terminal line or a JSON object.
#pragma once

#include <cstdint>
#include <string>

#include "app/program.h"

namespace cli {

struct DocumentRow {
    std::int32_t number = 0;
    std::string date;  // YYYY-MM-DD; empty when the record holds no valid date
    bool deleted = false;
    std::string summary;  // cp1252
};

// Orders the Text table by document number (tag Items) and seeks number
// (a document number as text, blanks allowed); true when the table then
// stands on that document.
bool seek_document(app::Program& program, const std::string& number);

// The document on which the Text table stands.
DocumentRow current_document(app::Program& program);

// "      12   2026-12-06  summary", with "*" after the number for a deleted
// document; UTF-8, tabs shown as blanks.
std::string row_line(const DocumentRow& row);

// {"number": 12, "date": "2026-12-06", "deleted": false, "summary": "..."};
// the date is null when there is none.
std::string row_json(const DocumentRow& row);

}  // namespace cli
