// Font Size, Header Size and Search Criteria.
#include "search/search_options.h"

#include <charconv>
#include <cmath>
#include <string>

#include "app/messages.h"
#include "app/number_text.h"
#include "app/settings.h"

namespace search {

namespace {

constexpr double kSmallestFont = 1;
constexpr double kLargestFont = 48;
constexpr double kLargestHeader = 32767;

}  // namespace

std::optional<double> whole_number_value(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars also takes "inf", "nan" and a second sign; a number starts
    // with a digit or a decimal point.
    if (text.empty() || !(text.front() == '.' || (text.front() >= '0' && text.front() <= '9')))
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

void mnuFontsize_Click(app::Program& program) {
    ui::TextBox& input = program.frmMain.txtInput;
    const std::string answer = program.platform.dialogs.inputBox("Enter Font Size.", "Font Size",
                                                                 std::to_string(input.font.size));
    const double value = app::leading_number(answer);
    if (value < kSmallestFont || value > kLargestFont) {
        app::showMessage(program, "Invalid Font Size.");
        return;
    }
    input.font.size = app::round_half_even(value);
    program.platform.desktop.yieldOnce();
    app::write_setting(program, "FontSize", std::to_string(input.font.size));
}

void mnuHeadersize_Click(app::Program& program) {
    std::int16_t& headerSize = program.frmMain.headerSize;
    const std::string answer = program.platform.dialogs.inputBox(
        "Specify the number of words in the header for the 'Top Only' search.", "Header Size",
        std::to_string(headerSize));
    const std::optional<double> value = whole_number_value(answer);
    if (!value || *value <= 1) return;
    const std::int32_t rounded = app::round_half_even(*value);
    if (rounded > kLargestHeader) return;
    headerSize = static_cast<std::int16_t>(rounded);
}

void mnuCriteria_Click(app::Program& program) {
    app::showMessage(program, program.frmMain.queryExpression, platform::Icon::None);
}

}  // namespace search
