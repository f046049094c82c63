// The platform services of the command-line companion: message boxes become
// lines on standard error (prefixed with what is being worked on, such as the
// file being added), a Yes/No box is answered by --yes or by a prompt on the
// terminal (No when there is none), and the window-only services do nothing.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/local_file_system.h"
#include "platform/platform.h"
#include "ui/frm_main.h"

namespace cli {

class TerminalDialogs : public platform::Dialogs {
  public:
    // assumeYes answers every question box with its yes button.
    explicit TerminalDialogs(bool assumeYes) : assumeYes_(assumeYes) {}

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Icon icon, platform::Buttons buttons) override;
    // Nobody to ask: the answer of Cancel, an empty text.
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& proposed) override;

    // What the following messages concern (a file name, say), printed before
    // each of them; empty for none. cp1252 or UTF-8 as the caller has it.
    void setContext(std::string context) { context_ = std::move(context); }
    // A line of the companion's own on standard error, after the context.
    void report(const std::string& text) { writeLine(text, std::string(ui::kProgramName)); }
    // Runs before any line is written, e.g. to clear a progress bar.
    void setBeforeOutput(std::function<void()> hook) { beforeOutput_ = std::move(hook); }

    // Every message box shown, its text as the routine gave it (cp1252).
    const std::vector<std::string>& shown() const { return shown_; }

  private:
    platform::Answer ask(const std::string& question, platform::Buttons buttons);
    void writeLine(const std::string& text, const std::string& title);

    bool assumeYes_;
    std::string context_;
    std::function<void()> beforeOutput_;
    std::vector<std::string> shown_;
};

// No pointer to change, no events to yield to; dates from the system clock,
// shown as YYYY-MM-DD.
class TerminalDesktop : public platform::Desktop {
  public:
    void setBusy(bool) override {}
    void yieldOnce() override {}
    void showHelp(const std::string&) override {}
    platform::CivilDate today() override;
    std::string shortDate(const platform::CivilDate& date) override;
};

// A clipboard of the process's own.
class ProcessClipboard : public platform::Clipboard {
  public:
    std::string text() override { return contents_; }
    void setText(const std::string& text) override { contents_ = text; }
    void clear() override { contents_.clear(); }

  private:
    std::string contents_;
};

// No printer: available() is false, everything else does nothing.
class NoPrinter : public platform::Printer {
  public:
    bool available() override { return false; }
    double pageWidth() override { return 0; }
    double pageHeight() override { return 0; }
    void setOrigin(double, double) override {}
    double currentX() override { return 0; }
    double currentY() override { return 0; }
    void setPosition(double, double) override {}
    void setFontSize(double) override {}
    void setBold(bool) override {}
    double textWidth(std::string_view) override { return 0; }
    void print(std::string_view) override {}
    void endLine() override {}
    void newPage() override {}
    void endDocument() override {}
};

// The services together, for app::Program.
struct TerminalPlatform {
    explicit TerminalPlatform(bool assumeYes) : dialogs(assumeYes) {}
    TerminalPlatform(const TerminalPlatform&) = delete;
    TerminalPlatform& operator=(const TerminalPlatform&) = delete;

    TerminalDialogs dialogs;
    ProcessClipboard clipboard;
    TerminalDesktop desktop;
    NoPrinter printer;
    platform::LocalFileSystem files;
    platform::Platform services{dialogs, clipboard, desktop, printer, files};
};

// Terminal text from the program's: cp1252 to UTF-8, CR LF (and the engine's
// LF CR) to LF.
std::string terminal_text(const std::string& cp1252);

}  // namespace cli
