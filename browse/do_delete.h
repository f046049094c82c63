// Delete and un-delete: the provisional deletion mark on the shown document's
// record in Text and on every keyword record of it in Keys.
#pragma once

#include <cstdint>

#include "app/program.h"

namespace browse {

inline constexpr std::int16_t kDeleteMode = -1;   // Delete Record
inline constexpr std::int16_t kUndeleteMode = 1;  // Un-Delete Record

// Marks (mode -1) or unmarks (any other mode) the document on display and its
// keyword records, one record at a time inside its own lock. With no document
// on display, or one whose record cannot be found, shows "Cannot locate
// record." and changes nothing. Mode 1 also puts the text of a document whose
// deletion notice is shown back into the text box.
void do_delete(app::Program& program, std::int16_t mode);

}  // namespace browse
