// The command-line companion's platform services.
#include "cli/terminal_platform.h"

#include <unistd.h>

#include <fmt/core.h>

#include <iostream>

#include "platform/cp1252.h"
#include "ui/frm_main.h"

namespace cli {

namespace {

bool is_question(platform::Buttons buttons) {
    return buttons == platform::Buttons::YesNo || buttons == platform::Buttons::YesNoCancel ||
           buttons == platform::Buttons::OkCancel;
}

bool is_yes(std::string reply) {
    for (char& c : reply)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return reply == "y" || reply == "yes";
}

}  // namespace

std::string terminal_text(const std::string& cp1252) {
    std::string text = cp1252;
    for (std::size_t at = text.find("\n\r"); at != std::string::npos; at = text.find("\n\r", at))
        text.erase(at + 1, 1);
    return platform::cp1252ToUtf8(platform::toLf(text));
}

platform::Answer TerminalDialogs::messageBox(const std::string& text, const std::string& title,
                                             platform::Icon, platform::Buttons buttons) {
    shown_.push_back(text);
    if (is_question(buttons)) return ask(text, buttons);
    writeLine(text, title);
    return platform::defaultAnswer(buttons);
}

std::string TerminalDialogs::inputBox(const std::string&, const std::string&, const std::string&) {
    return {};
}

void TerminalDialogs::writeLine(const std::string& text, const std::string& title) {
    if (beforeOutput_) beforeOutput_();
    std::string line = "vellumark-cli: ";
    if (!context_.empty()) line += context_ + ": ";
    if (title != ui::kProgramName) line += terminal_text(title) + ": ";
    fmt::print(stderr, "{}{}\n", line, terminal_text(text));
    std::fflush(stderr);
}

platform::Answer TerminalDialogs::ask(const std::string& question, platform::Buttons buttons) {
    const bool okCancel = buttons == platform::Buttons::OkCancel;
    const platform::Answer yes = okCancel ? platform::Answer::Ok : platform::Answer::Yes;
    const platform::Answer no = okCancel ? platform::Answer::Cancel : platform::Answer::No;
    if (assumeYes_) {
        writeLine(question + " (yes: --yes)", std::string(ui::kProgramName));
        return yes;
    }
    if (!::isatty(STDIN_FILENO)) {
        writeLine(question + " (no: there is no terminal to ask; --yes answers yes)",
                  std::string(ui::kProgramName));
        return no;
    }
    if (beforeOutput_) beforeOutput_();
    fmt::print(stderr, "vellumark-cli: {} [y/N] ", terminal_text(question));
    std::fflush(stderr);
    std::string reply;
    if (!std::getline(std::cin, reply)) return no;
    return is_yes(reply) ? yes : no;
}

platform::CivilDate TerminalDesktop::today() {
    return platform::localToday();
}

std::string TerminalDesktop::shortDate(const platform::CivilDate& date) {
    if (!platform::isValidDate(date)) return {};
    return fmt::format("{:04}-{:02}-{:02}", date.year, date.month, date.day);
}

}  // namespace cli
