// The settings file: section "Setup" of vellumark.ini in the program folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/program.h"

namespace app {

inline constexpr const char* kSettingsSection = "Setup";

// The text of key, read through a buffer of bufferSize characters (so at most
// bufferSize - 1 of them), or defaultValue when the file or key is missing.
std::string read_setting(const Program& program, const std::string& key,
                         const std::string& defaultValue, std::size_t bufferSize);

// A numeric setting: the leading number of its text, rounded half to even; 0
// (no number) gives defaultValue, and so does a value outside [low, high].
std::int32_t read_number_setting(const Program& program, const std::string& key,
                                 std::int32_t defaultValue, std::int32_t low, std::int32_t high);

// The name of drawer i (1 to 12), trimmed; "NONE" when the key is missing.
std::string read_drawer_name(const Program& program, int drawer);

bool write_setting(const Program& program, const std::string& key, const std::string& value);

// Text with blanks removed at both ends.
std::string trim_blanks(const std::string& text);

}  // namespace app
