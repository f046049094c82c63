// The summary list: every hit of the last search as one line of its opening
// text in ComboSummary, laid over the text box; choosing a line shows it.
#pragma once

#include <string>
#include <string_view>

#include "app/program.h"

namespace browse {

// The Summary command (menu entry and CommandSummary): closes the list when it
// is open; otherwise builds it ("[Close Summary]", then one line per hit) and
// selects the line of the hit on display.
void mnuSummary_Click(app::Program& program);

// The selected line of ComboSummary changed (by the user or by a routine that
// selected a line): line 0 closes the list; the line of another hit shows that
// hit; the line of the hit on display, or no line, does nothing.
void ComboSummary_Click(app::Program& program);

// A summary line: the first 100 characters of text with every CR LF pair and
// the blanks around it turned into one blank.
std::string summary_line(std::string_view text);

}  // namespace browse
