// Moving along the hit list of the last search: first, previous, next, last.
#pragma once

#include <cstdint>

#include "app/program.h"

namespace browse {

// Positioning modes, for the hit list here and for the table in goto_record.
inline constexpr std::int32_t kFirst = 0;
inline constexpr std::int32_t kPrevious = -1;
inline constexpr std::int32_t kNext = 1;
inline constexpr std::int32_t kLast = 999;

// Shows another hit of the hit list: modevar kFirst, kPrevious, kNext or
// kLast. The position and count are the captions of LabelRecNo and
// LabelCount. Past either end it shows "End of records." or "Beginning of
// records." and changes nothing but the text colour, which turns black
// whatever happens. Keeps the open summary list's selection on the shown hit.
void gonext(app::Program& program, std::int32_t modevar);

}  // namespace browse
