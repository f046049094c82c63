// The platform services for headless tests: message and input boxes answered
// from queues and recorded, pointer changes, yields and help requests
// recorded, an in-memory clipboard, a fixed clock and short-date format, a
// printer that measures text by a simple rule and records what it printed
// where, and the real file system. Plus TempFolder, a fresh folder per test,
// and whole-file reads and writes for setting up and checking files on disk.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/local_file_system.h"
#include "platform/platform.h"

namespace testsupport {

// The mouse pointer, yields, help requests, the clock and the date format.
class ScriptedDesktop : public platform::Desktop {
  public:
    void setBusy(bool busy) override;
    void yieldOnce() override { ++yields; }
    void showHelp(const std::string& path) override { helpRequests.push_back(path); }
    platform::CivilDate today() override { return todayDate; }
    // Formats by dateFormat: YYYY, YY, MM, M, DD and D are replaced by the
    // date's parts, every other character stands for itself.
    std::string shortDate(const platform::CivilDate& date) override;

    bool busy = false;                 // the pointer now: true for busy
    std::vector<bool> pointerChanges;  // every setBusy call, in order
    int yields = 0;
    std::vector<std::string> helpRequests;
    platform::CivilDate todayDate{2024, 3, 15};
    std::string dateFormat = "M/D/YYYY";
};

struct ShownBox {
    std::string text;
    std::string title;
    platform::Icon icon = platform::Icon::None;
    platform::Buttons buttons = platform::Buttons::Ok;
    platform::Answer answer = platform::Answer::Ok;
    bool busy = false;  // the pointer was busy while the box was shown
};

struct ShownInput {
    std::string prompt;
    std::string title;
    std::string proposed;
    std::string answer;
    bool busy = false;
};

// Answers boxes from the queues; an empty queue gives the box's default
// button (OK for an OK box) or an empty input (as Cancel does).
class ScriptedDialogs : public platform::Dialogs {
  public:
    explicit ScriptedDialogs(const ScriptedDesktop& desktop) : desktop_(desktop) {}

    platform::Answer messageBox(const std::string& text, const std::string& title,
                                platform::Icon icon, platform::Buttons buttons) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& proposed) override;

    std::deque<platform::Answer> answers;  // for the next message boxes
    std::deque<std::string> inputs;        // for the next input boxes
    std::vector<ShownBox> boxes;           // every message box shown, in order
    std::vector<ShownInput> inputBoxes;    // every input box shown, in order

  private:
    const ScriptedDesktop& desktop_;
};

class MemoryClipboard : public platform::Clipboard {
  public:
    std::string text() override { return contents; }
    void setText(const std::string& text) override { contents = text; }
    void clear() override { contents.clear(); }

    std::string contents;
};

// One piece of text as the test printer placed it.
struct PrintedText {
    int document = 0;  // counts endDocument calls before it
    int page = 0;      // 0-based within its document
    int line = 0;      // 0-based within its page
    double x = 0;
    double y = 0;
    std::string text;
    double fontSize = 0;
    bool bold = false;
};

// A printer whose characters are all 0.6 em wide (12 twips per point of font
// size) and whose lines are 1.2 em high (24 twips per point).
class TestPrinter : public platform::Printer {
  public:
    bool available() override { return isAvailable; }
    double pageWidth() override { return width; }
    double pageHeight() override { return height; }
    void setOrigin(double left, double top) override { originLeft = left, originTop = top; }
    double currentX() override { return x_; }
    double currentY() override { return y_; }
    void setPosition(double x, double y) override { x_ = x, y_ = y; }
    void setFontSize(double points) override { fontSize_ = points; }
    void setBold(bool bold) override { bold_ = bold; }
    double textWidth(std::string_view text) override;
    void print(std::string_view text) override;
    void endLine() override;
    void newPage() override;
    void endDocument() override;

    // The text of each line of each page of one document, pieces joined.
    std::vector<std::vector<std::string>> pages(int document = 0) const;

    bool isAvailable = true;
    double width = 12240;  // US Letter, twips
    double height = 15840;
    double originLeft = 0;  // as last set by setOrigin
    double originTop = 0;
    std::vector<PrintedText> printed;
    int documentsEnded = 0;

  private:
    double x_ = 0;
    double y_ = 0;
    double fontSize_ = 10;
    bool bold_ = false;
    int page_ = 0;
    int line_ = 0;
};

// Every service at once; routines receive `services`.
class ScriptedPlatform {
  public:
    ScriptedPlatform() = default;
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    ScriptedDesktop desktop;
    ScriptedDialogs dialogs{desktop};
    MemoryClipboard clipboard;
    TestPrinter printer;
    platform::LocalFileSystem files;
    platform::Platform services{dialogs, clipboard, desktop, printer, files};
};

// A fresh folder under /tmp made with mkdtemp, removed with its contents
// when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, ending with the separator.
    const std::string& path() const { return path_; }
    // path() + name.
    std::string file(std::string_view name) const { return path_ + std::string(name); }

  private:
    std::string path_;
};

// The whole content of a file; empty when it cannot be read.
std::string read_file(const std::string& path);
// Replaces the file's content with bytes (creating it).
void write_file(const std::string& path, std::string_view bytes);
// Overwrites the file's bytes at offset, leaving the rest of it as it was.
void overwrite_file(const std::string& path, std::size_t offset, std::string_view bytes);

}  // namespace testsupport
