// Record navigation: walking the document table Text itself, record by
// record in its selected order, deleted records included.
#pragma once

#include <cstdint>
#include <string>

#include "app/program.h"
#include "browse/gonext.h"

namespace browse {

// Moves the Text table (up_down: kFirst, kPrevious, kNext or kLast of
// browse/gonext.h; any other value does not move it) and shows the record it
// then stands on as document 1 of 1, with its record number.
void goto_record(app::Program& program, std::int16_t up_down);

// Shows the current Text record with its text (or deletion notice) and date,
// recordCaption in LabelRecord, and position and count both "1": the view
// after a record command.
void show_single_record(app::Program& program, const std::string& recordCaption);

}  // namespace browse
