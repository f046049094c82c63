// JSON string literals.
#include "cli/json.h"

#include <fmt/core.h>

#include "cli/terminal_platform.h"

namespace cli {

std::string json_string(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20)
                    out += fmt::format("\\u{:04x}", static_cast<unsigned char>(c));
                else
                    out += c;
        }
    }
    return out + "\"";
}

std::string json_text(const std::string& cp1252, bool emptyIsNull) {
    if (emptyIsNull && cp1252.empty()) return "null";
    return json_string(terminal_text(cp1252));
}

}  // namespace cli
