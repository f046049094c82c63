// The scripted platform services of headless tests.
#include "tests/support/scripted_platform.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <tuple>

namespace testsupport {

void ScriptedDesktop::setBusy(bool value) {
    busy = value;
    pointerChanges.push_back(value);
}

std::string ScriptedDesktop::shortDate(const platform::CivilDate& date) {
    if (!platform::isValidDate(date)) return {};
    // The parts and their least digits, the longer spelling of a part first.
    const std::tuple<std::string_view, int, std::size_t> parts[] = {
        {"YYYY", date.year, 4}, {"YY", date.year % 100, 2}, {"MM", date.month, 2},
        {"M", date.month, 1},   {"DD", date.day, 2},        {"D", date.day, 1}};
    std::string out;
    for (std::string_view format = dateFormat; !format.empty();) {
        auto part = std::find_if(std::begin(parts), std::end(parts),
                                 [&](const auto& p) { return format.starts_with(std::get<0>(p)); });
        if (part == std::end(parts)) {
            out += format.front(), format.remove_prefix(1);
            continue;
        }
        const auto& [spelling, value, width] = *part;
        const std::string digits = std::to_string(value);
        out += std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
        format.remove_prefix(spelling.size());
    }
    return out;
}

platform::Answer ScriptedDialogs::messageBox(const std::string& text, const std::string& title,
                                             platform::Icon icon, platform::Buttons buttons) {
    platform::Answer answer = platform::defaultAnswer(buttons);
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    boxes.push_back({text, title, icon, buttons, answer, desktop_.busy});
    return answer;
}

std::string ScriptedDialogs::inputBox(const std::string& prompt, const std::string& title,
                                      const std::string& proposed) {
    std::string answer;
    if (!inputs.empty()) {
        answer = inputs.front();
        inputs.pop_front();
    }
    inputBoxes.push_back({prompt, title, proposed, answer, desktop_.busy});
    return answer;
}

double TestPrinter::textWidth(std::string_view text) {
    return static_cast<double>(text.size()) * fontSize_ * 12;
}

void TestPrinter::print(std::string_view text) {
    printed.push_back({documentsEnded, page_, line_, x_, y_, std::string(text), fontSize_, bold_});
    x_ += textWidth(text);
}

void TestPrinter::endLine() {
    x_ = 0;
    y_ += fontSize_ * 24;
    ++line_;
}

void TestPrinter::newPage() {
    x_ = 0;
    y_ = 0;
    ++page_;
    line_ = 0;
}

void TestPrinter::endDocument() {
    ++documentsEnded;
    newPage();
    page_ = 0;
}

std::vector<std::vector<std::string>> TestPrinter::pages(int document) const {
    std::vector<std::vector<std::string>> out;
    for (const PrintedText& piece : printed) {
        if (piece.document != document) continue;
        if (out.size() <= static_cast<std::size_t>(piece.page)) out.resize(piece.page + 1);
        std::vector<std::string>& lines = out[piece.page];
        if (lines.size() <= static_cast<std::size_t>(piece.line)) lines.resize(piece.line + 1);
        lines[piece.line] += piece.text;
    }
    return out;
}

TempFolder::TempFolder() {
    char name[] = "/tmp/vellumark-test-XXXXXX";
    if (mkdtemp(name) != nullptr) path_ = std::string(name) + "/";
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void overwrite_file(const std::string& path, std::size_t offset, std::string_view bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace testsupport
