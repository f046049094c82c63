// JSON text for the --json output of the commands.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// utf8 as a JSON string literal, quotes included: the quote, the backslash
// and control characters escaped.
std::string json_string(std::string_view utf8);

// The program's cp1252 text (CR LF line breaks) as a JSON string of its
// terminal form (UTF-8, LF); an empty text gives null when emptyIsNull.
std::string json_text(const std::string& cp1252, bool emptyIsNull = false);

}  // namespace cli
