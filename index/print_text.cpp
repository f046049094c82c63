// Print: lays the text out word by word through the platform's printer.
#include "index/print_text.h"

#include <string_view>

#include "app/messages.h"
#include "app/settings.h"

namespace app {

namespace {

constexpr double kFontPoints = 12;
constexpr double kPageOrigin = 1080;  // twips in from the left and top edge
constexpr double kEdgeLimit = 2400;   // twips kept free before the right and bottom edge

// The next word of rest: up to and including its first blank, or all of it.
std::string_view take_word(std::string_view& rest) {
    std::size_t blank = rest.find(' ');
    std::size_t length = blank == std::string_view::npos ? rest.size() : blank + 1;
    std::string_view word = rest.substr(0, length);
    rest.remove_prefix(length);
    return word;
}

}  // namespace

void print_text(Program& program) {
    const std::string& text = program.frmMain.txtInput.text;
    if (trim_blanks(text).empty()) {
        showMessage(program, "There is no text to print.");
        return;
    }
    platform::Printer& printer = program.platform.printer;
    if (!printer.available()) {
        showMessage(program, "No printer is available.");
        return;
    }

    printer.setPosition(0, 0);
    printer.setFontSize(kFontPoints);
    printer.setBold(true);
    printer.print(" ");
    printer.setBold(false);
    printer.setOrigin(kPageOrigin, kPageOrigin);

    std::string_view rest = text;
    while (!rest.empty()) {
        std::string_view word = take_word(rest);
        if (printer.currentX() + printer.textWidth(word) > printer.pageWidth() - kEdgeLimit) {
            printer.endLine();
            if (printer.currentY() > printer.pageHeight() - kEdgeLimit) printer.newPage();
        }
        printer.print(word);
    }
    printer.endDocument();
}

}  // namespace app
