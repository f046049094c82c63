// The Options menu's search options: Font Size, Header Size and Search
// Criteria. (High Tolerance and Top Only are check boxes the search reads.)
#pragma once

#include <optional>
#include <string_view>

#include "app/program.h"

namespace search {

// Font Size: asks for a size of 1 to 48 points; a valid answer becomes the
// font size of txtInput and is written to the settings file as "FontSize",
// anything else shows "Invalid Font Size." and changes nothing.
void mnuFontsize_Click(app::Program& program);

// Header Size: asks for the number of header words of a Top Only search; a
// whole-text number greater than 1 that fits 16 bits becomes the header size
// for the rest of the run. Anything else is ignored without a message.
void mnuHeadersize_Click(app::Program& program);

// Search Criteria: the query expression of the last search in a plain box.
void mnuCriteria_Click(app::Program& program);

// The value of text when the whole of it is a number: blanks around it, a
// sign, digits with at most one decimal point, and an exponent are allowed.
std::optional<double> whole_number_value(std::string_view text);

}  // namespace search
