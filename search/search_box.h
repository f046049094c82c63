// The search box's own keys and clicks: Enter runs the search, a double-click
// on an empty box brings back the last search string.
#pragma once

#include "app/program.h"

namespace search {

// Enter in txtSearch. The key itself is consumed: the box gets no character.
// Runs do_search unless the box holds only blanks, in which case nothing
// happens.
void txtSearch_Enter(app::Program& program);

// Double-click on txtSearch: an empty (or all-blank) box gets the last search
// string that clear_screen kept; a box holding text is left alone.
void txtSearch_DblClick(app::Program& program);

}  // namespace search
