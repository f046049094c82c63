// The settings file: an INI ("profile") file read and written with the
// semantics of the Windows profile functions the program was built around.
//
// - Lines are "[section]" headers, "key=value" entries, ";" comments and
//   anything else, which is ignored; a line ends at LF (a CR before it
//   belongs to the line end) and its content at the first NUL byte.
// - Section and key names match without regard to case; names and values
//   are trimmed of blanks and tabs; a value in matching double or single
//   quotes loses them.
// - A value is read into a buffer of a given size, so at most size - 1
//   characters come back (the count is the result's length).
// - A write changes or adds exactly one line (and a section header when the
//   section is missing) and leaves every other byte of the file as it was.
// Nothing here throws; garbage, long lines and NUL bytes only fail to match.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of key in section of the profile text, or defaultValue (with its
// trailing blanks removed) when there is none; cut to bufferSize - 1
// characters (bufferSize 0 gives an empty string).
std::string profileLookup(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize);

// The profile text with key in section set to value: the first existing
// entry is rewritten in place (keeping the key as the file spells it), a
// missing key is added after the last line of its section, a missing section
// is appended with the key. CR, LF and NUL in value become blanks. nullopt
// when the section or key name could not be read back (empty key, blanks at
// either end, line breaks or NUL, '=' in the key, ']' in the section, a key
// starting with ';' or '[').
std::optional<std::string> profileUpdate(std::string_view text, std::string_view section,
                                         std::string_view key, std::string_view value);

// profileLookup on the file at path; a missing or unreadable file gives the
// default.
std::string readProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, std::size_t bufferSize,
                              const std::string& path);

// profileUpdate on the file at path, creating the file when it is missing.
// False when the names are refused or the file cannot be read or written.
bool writeProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

}  // namespace platform
