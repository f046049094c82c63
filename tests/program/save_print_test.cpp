// Save As and Print stories: writing the text box to a text file through the
// Save As dialog, and the word-wrapped printout measured by the test printer.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "index/open_text_file.h"
#include "index/print_text.h"
#include "index/save_as.h"
#include "tests/program/program_story.h"

namespace {

using platform::Answer;
using testsupport::ProgramStory;
using testsupport::read_file;

class SaveAs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(story.start());
        story.main().txtInput.text = "first line\r\nsecond line";
        app::mnuSave_Click(story.p());
    }

    // Chooses the file type (0 all files, 1 text files), types name, presses OK.
    void save(const std::string& name, int type = 0) {
        dialog().Typelist.select(type);
        app::Typelist_Click(story.p(), dialog());
        app::set_file_name(dialog(), name);
        app::frmSave_Thebutton_Click(story.p(), 0);
    }

    ui::FrmSave& dialog() { return story.p().frmSave; }

    ProgramStory story;
};

TEST_F(SaveAs, WithAndWithoutAnExtension) {
    EXPECT_EQ(dialog().caption, "Save As");
    save("notes");  // All Files: an extension is needed
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], "Please enter a file extension name."));
    EXPECT_TRUE(dialog().visible);
    EXPECT_FALSE(story.platform.files.exists(story.folder.file("notes")));
    save("notes", 1);  // Text Files adds .txt and shows the whole path
    EXPECT_EQ(read_file(story.folder.file("notes.txt")), "first line\nsecond line\n");
    EXPECT_EQ(dialog().Filenamebox.text, story.folder.file("notes.txt"));
    EXPECT_FALSE(dialog().visible);
    // A name with an extension is written as typed; a full stop that is not
    // among the last five characters makes no extension.
    const std::tuple<const char*, int, const char*> names[] = {
        {"Letter.TXT", 0, "Letter.TXT"}, {"report.final", 1, "report.final.txt"}};
    for (const auto& [name, type, file] : names) {
        app::mnuSave_Click(story.p());
        save(name, type);
        EXPECT_EQ(read_file(story.folder.file(file)), "first line\nsecond line\n") << name;
    }
    // The text always ends with one more line end.
    story.main().txtInput.text = "caf\xE9 done\r\n";
    app::mnuSave_Click(story.p());
    save("end.txt");
    EXPECT_EQ(read_file(story.folder.file("end.txt")), "caf\xE9 done\n\n");
    EXPECT_EQ(story.boxes().size(), 1u);
}

TEST_F(SaveAs, OverwriteIsAskedAndOnlyYesReplaces) {
    const std::string path = story.folder.file("old.txt");
    testsupport::write_file(path, "precious");
    for (Answer answer : {Answer::No, Answer::Cancel}) {
        story.platform.dialogs.answers.push_back(answer);
        save("old.txt");
        EXPECT_EQ(read_file(path), "precious");
        EXPECT_TRUE(dialog().visible);
    }
    story.platform.dialogs.answers.push_back(Answer::Yes);
    save("old.txt");
    EXPECT_EQ(read_file(path), "first line\nsecond line\n");
    EXPECT_FALSE(dialog().visible);
    ASSERT_EQ(story.boxes().size(), 3u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[2],
                                    path + " file already exists.  OK to overwrite file?",
                                    platform::Icon::Question, platform::Buttons::YesNoCancel));
}

TEST_F(SaveAs, FileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    save("no such folder/x.txt");
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(
        story.boxes()[0],
        "No such file or directory.  (File " + story.folder.file("no such folder/x.txt") + ")"));
    EXPECT_TRUE(dialog().visible);

    // A folder in the file's place: confirmed, then refused by the system.
    std::filesystem::create_directory(story.folder.file("taken.txt"));
    story.platform.dialogs.answers.push_back(Answer::Yes);
    save("taken.txt");
    ASSERT_EQ(story.boxes().size(), 3u);
    EXPECT_EQ(story.boxes()[2].text,
              "Is a directory.  (File " + story.folder.file("taken.txt") + ")");
    EXPECT_TRUE(dialog().visible);
}

TEST_F(SaveAs, CancelAndBlankNamesOnlyClose) {
    app::set_file_name(dialog(), "x.txt");
    app::frmSave_Thebutton_Click(story.p(), 1);
    EXPECT_FALSE(dialog().visible);
    app::mnuSave_Click(story.p());
    save("  ");
    EXPECT_FALSE(dialog().visible);
    EXPECT_FALSE(story.platform.files.exists(story.folder.file("x.txt")));
    EXPECT_TRUE(story.boxes().empty());
}

class Print : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    void print(const std::string& text) {
        story.main().txtInput.text = text;
        app::print_text(story.p());
    }

    testsupport::TestPrinter& printer() { return story.platform.printer; }

    ProgramStory story;
};

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST_F(Print, LongTextBreaksLinesAndPagesAtTheLimits) {
    // 12 points: 144 twips a character, 288 a line. A line holds exactly 60
    // characters before the width limit and a page six lines before its limit.
    printer().width = 2400 + 60 * 144;
    printer().height = 2400 + 5 * 288;
    std::string text = repeat("abcde ", 74) + "abcde";  // 75 words
    print(text);

    const std::string ten = repeat("abcde ", 10);  // 60 characters: ends on the limit
    auto pages = printer().pages();
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].size(), 6u);
    EXPECT_EQ(pages[0][0], " " + repeat("abcde ", 9));  // after the leading blank
    for (int line = 1; line < 6; ++line)
        EXPECT_EQ(pages[0][line], ten) << line;
    EXPECT_EQ(pages[1], (std::vector<std::string>{ten, repeat("abcde ", 5) + "abcde"}));

    EXPECT_EQ(printer().documentsEnded, 1);
    EXPECT_EQ(printer().originLeft, 1080);
    EXPECT_EQ(printer().originTop, 1080);
    const auto& pieces = printer().printed;
    EXPECT_EQ(pieces.front().text, " ");
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].fontSize, 12);
        EXPECT_EQ(pieces[i].bold, i == 0);
    }
    EXPECT_TRUE(story.boxes().empty());
}

TEST_F(Print, WordsEndAtTheirBlankAndAWideOneRunsPastTheLimit) {
    // The texts of the pieces printed for text, one word each.
    auto words = [&](const std::string& text) {
        printer().printed.clear();
        print(text);
        std::vector<std::string> pieces;
        for (const auto& piece : printer().printed)
            pieces.push_back(piece.text);
        return pieces;
    };
    EXPECT_EQ(words("hello world"), (std::vector<std::string>{" ", "hello ", "world"}));
    EXPECT_EQ(printer().pages(), (std::vector<std::vector<std::string>>{{" hello world"}}));
    // Blanks in a row are words; line breaks ride inside theirs.
    EXPECT_EQ(words("a  b\r\nc d"), (std::vector<std::string>{" ", "a ", " ", "b\r\nc ", "d"}));

    // A word wider than the line ends the line and runs past the limit.
    const std::string wide(80, 'w');  // 11520 twips, beyond the 9840 of a Letter page
    words(wide + " tail");            // the third document printed here
    EXPECT_EQ(printer().pages(2),
              (std::vector<std::vector<std::string>>{{" ", wide + " ", "tail"}}));
    words("unbroken");
    EXPECT_EQ(printer().pages(3), (std::vector<std::vector<std::string>>{{" unbroken"}}));
}

TEST_F(Print, NothingToPrintAndNoPrinterAreReported) {
    print("   ");
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], "There is no text to print."));

    printer().isAvailable = false;
    print("some text");
    ASSERT_EQ(story.boxes().size(), 2u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[1], "No printer is available."));
    EXPECT_TRUE(printer().printed.empty());
    EXPECT_EQ(printer().documentsEnded, 0);
}

}  // namespace
