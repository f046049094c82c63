// The scripted platform services of headless tests.
#include "tests/support/scripted_platform.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace testsupport {

void ScriptedDesktop::setBusy(bool value) {
    busy = value;
    pointerChanges.push_back(value);
}

std::string ScriptedDesktop::shortDate(const platform::CivilDate& date) {
    if (!platform::isValidDate(date)) return {};
    auto padded = [](int value, std::size_t width) {
        std::string digits = std::to_string(value);
        return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
    };
    std::string out;
    std::string_view format = dateFormat;
    while (!format.empty()) {
        if (format.starts_with("YYYY")) {
            out += padded(date.year, 4), format.remove_prefix(4);
        } else if (format.starts_with("YY")) {
            out += padded(date.year % 100, 2), format.remove_prefix(2);
        } else if (format.starts_with("MM")) {
            out += padded(date.month, 2), format.remove_prefix(2);
        } else if (format.starts_with("M")) {
            out += std::to_string(date.month), format.remove_prefix(1);
        } else if (format.starts_with("DD")) {
            out += padded(date.day, 2), format.remove_prefix(2);
        } else if (format.starts_with("D")) {
            out += std::to_string(date.day), format.remove_prefix(1);
        } else {
            out += format.front(), format.remove_prefix(1);
        }
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

void TestPrinter::setOrigin(double left, double top) {
    originLeft = left;
    originTop = top;
}

void TestPrinter::setPosition(double x, double y) {
    x_ = x;
    y_ = y;
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
    x_ = 0;
    y_ = 0;
    page_ = 0;
    line_ = 0;
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
