// Specific Record: asks for a document number and shows that document of the
// document table Text.
#pragma once

#include "app/program.h"

namespace browse {

// Asks for a document number; an answer whose leading number is 0 (empty,
// cancelled, a word, "0") changes nothing. Otherwise seeks the answer as
// typed on the tag Items and shows the record the table then stands on, with
// "#" and the typed answer in LabelRecord.
void specific_record(app::Program& program);

}  // namespace browse
