// The program's binding routines over the engine: field contents as text,
// assigning text, memo text with its length limit, and C strings as text.
#pragma once

#include <string>
#include <string_view>

#include "platform/dialogs.h"
#include "xbase/d4.h"

namespace store {

// Raw contents of the field at full width, trailing blanks kept; empty for a
// null field or pointer.
std::string field_text(xbase::Field4* field);
// The same contents in place, valid until the table moves.
std::string_view field_view(xbase::Field4* field);

// Assigns text through f4assignNVB with its length as a 16-bit count.
short assign_text(xbase::Field4* field, std::string_view text);

// A memo of fewer than 32768 characters as text. A longer one gives an empty
// text and the engine's critical "Memo entry too long" box through dialogs.
std::string memo_text(xbase::Field4* field, platform::Dialogs& dialogs);

// The characters before the terminator, at most 255 of them.
std::string cstr_text(const char* text);

}  // namespace store
