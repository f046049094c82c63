// Reading and writing the settings file with the buffers the program uses.
#include "app/settings.h"

#include <string_view>

#include "app/number_text.h"
#include "platform/profile.h"

namespace app {

namespace {
constexpr std::size_t kNumberBuffer = 5;
constexpr std::size_t kDrawerBuffer = 7;
}  // namespace

std::string read_setting(const Program& program, const std::string& key,
                         const std::string& defaultValue, std::size_t bufferSize) {
    return platform::readProfileString(kSettingsSection, key, defaultValue, bufferSize,
                                       program.frmMain.settingsPath);
}

std::int32_t read_number_setting(const Program& program, const std::string& key,
                                 std::int32_t defaultValue, std::int32_t low, std::int32_t high) {
    std::int32_t value = leading_whole_number(
        read_setting(program, key, std::to_string(defaultValue), kNumberBuffer));
    if (value == 0 || value < low || value > high) return defaultValue;
    return value;
}

std::string read_drawer_name(const Program& program, int drawer) {
    return trim_blanks(
        read_setting(program, "Drawer " + std::to_string(drawer), "NONE", kDrawerBuffer));
}

bool write_setting(const Program& program, const std::string& key, const std::string& value) {
    return platform::writeProfileString(kSettingsSection, key, value, program.frmMain.settingsPath);
}

std::string trim_blanks(const std::string& text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace app
