// Hostile input: a 10 MB paste, binary and malformed text files, a settings
// file of garbage and endless lines, drawer names and search strings built to
// break the query, odd folder and file names, a read-only folder and a full
// disk. The program shows the messages it has for them, stores nothing half
// way that a later start cannot make sound, and loses nothing it had.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/startup.h"
#include "index/clipboard_import.h"
#include "index/create_index.h"
#include "index/open_text_file.h"
#include "tests/program/program_story.h"
#include "tests/support/faulty_file_system.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"
#include "xbase/d4.h"

namespace {

constexpr const char* kTooLong =
    "Maximum text size of 32768 bytes exceeded.  It is suggested that you break the text into "
    "two files.";

class HostileInput : public ::testing::Test {
  protected:
    app::Program& p() { return story.p(); }
    ui::FrmMain& form() { return story.main(); }
    std::vector<testsupport::ShownBox>& boxes() { return story.platform.dialogs.boxes; }

    void store(const std::string& text, const std::string& drawer = "") {
        form().ComboFilter.text = drawer;
        story.index(text);
    }

    // The document numbers the search put in the hit list.
    std::vector<std::string> search(const std::string& text, const std::string& drawer = "") {
        form().hitList.fill("");
        form().ComboFilter.text = drawer;
        story.search(text);
        std::vector<std::string> numbers;
        for (const std::string& slot : form().hitList)
            if (std::size_t digit = slot.find_first_not_of(' '); digit != std::string::npos)
                numbers.push_back(slot.substr(digit));
        return numbers;
    }

    bool engine_box_shown() {
        for (const auto& box : boxes())
            if (box.title != "Vellumark") return true;
        return false;
    }

    testsupport::ProgramStory story;
};

TEST_F(HostileInput, ATenMegabytePasteIsRefusedWholeAndTheNextTextStored) {
    ASSERT_TRUE(story.start());
    std::string paste;
    while (paste.size() < 10u << 20)
        paste += "paste of many words\r\n";
    story.platform.clipboard.contents = paste;
    app::import_clipboard(p());
    EXPECT_EQ(form().txtInput.text.size(), paste.size());

    app::create_index(p());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, kTooLong);
    EXPECT_EQ(xbase::d4recCountDo(p().keys), 0);
    EXPECT_EQ(xbase::d4recCountDo(p().text), 0);

    const std::string text = reliability::document_text(3, 0);
    store(text);
    EXPECT_EQ(reliability::check_document(p().keys, p().text, 2, text), std::vector<std::string>{});
}

TEST_F(HostileInput, BinaryAndMalformedFilesOpenAsText) {
    ASSERT_TRUE(story.start());
    std::string binary = "Binary words before\nthe zero byte ";
    for (int c = 0; c < 256; ++c)
        binary += static_cast<char>(c);
    const std::string invalidUtf8 = "caf\xC3( na\xEFve \xF0\x9F end\n";
    auto open = [&](const std::string& name, const std::string& bytes) {
        testsupport::write_file(story.folder.file(name), bytes);
        app::mnuOpen_Click(p());
        app::set_file_name(p().frmOpen, story.folder.file(name));
        app::frmOpen_Thebutton_Click(p(), 0);
    };

    open("binary.bin", binary);
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(form().txtInput.text.substr(0, 21), "Binary words before\r\n");
    EXPECT_GT(form().txtInput.text.size(), 256u);
    app::create_index(p());  // stored as far as a memo can hold it: up to the zero byte
    EXPECT_EQ(reliability::check_document(p().keys, p().text, 1,
                                          "Binary words before\r\nthe zero byte ", false),
              std::vector<std::string>{});

    open("invalid.txt", invalidUtf8);
    EXPECT_EQ(form().txtInput.text, "caf\xC3( na\xEFve \xF0\x9F end\r\n");  // taken as cp1252
    app::create_index(p());
    EXPECT_EQ(search("na\xEFve"), std::vector<std::string>{"2"});
    EXPECT_EQ(reliability::check_table(p().keys), std::vector<std::string>{});
    EXPECT_FALSE(engine_box_shown());
}

TEST_F(HostileInput, ASettingsFileOfGarbageAndEndlessLinesGivesSaneSettings) {
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    garbage += "\n[Setup]\nFontsize=" + std::string(1 << 20, '9') + "\n";
    garbage += "HeaderSize=-" + std::string(5000, '7') + "\n";
    garbage += "Drawer 1=" + std::string(100000, 'L') + "\nDrawer 2=\0\0\0\n";
    garbage += "Drawer 3=" + std::string(1 << 20, ' ') + "Bills\n" + std::string(1 << 20, '[');
    testsupport::write_file(story.folder.file("vellumark.ini"), garbage);

    ASSERT_TRUE(story.start());
    EXPECT_GE(form().txtInput.font.size, 1);
    EXPECT_LE(form().txtInput.font.size, 48);
    EXPECT_GE(form().headerSize, 1);
    ASSERT_EQ(form().ComboFilter.items.size(), 12u);
    EXPECT_EQ(form().ComboFilter.items[0], "LLLLLL");
    for (const std::string& drawer : form().ComboFilter.items)
        EXPECT_LE(drawer.size(), 6u);
    const std::string text = reliability::document_text(4, 0);
    store(text, form().ComboFilter.items[0]);
    EXPECT_EQ(reliability::check_document(p().keys, p().text, 1, text), std::vector<std::string>{});
}

TEST_F(HostileInput, DrawerNamesAndSearchStringsCannotBreakTheQuery) {
    ASSERT_TRUE(story.start());
    store("alpha beta gamma delta epsilon", "Bob's");
    store("alpha zeta theta iota lambda", "Q\"x]");
    store("kappa omicron sigma upsilon", "");

    EXPECT_EQ(search("alpha", "Bob's"), std::vector<std::string>{"1"});
    EXPECT_EQ(search("alpha", "Q\"x]"), std::vector<std::string>{"2"});
    // Quotes, brackets and operators are only parts of words no document has.
    EXPECT_TRUE(search("kappa\") .OR. (.T.", "").empty());
    EXPECT_TRUE(search("kappa] .OR. [x", "").empty());
    EXPECT_TRUE(search("kappa' .OR. 'x", "").empty());
    EXPECT_EQ(search(std::string("kappa\0omicron", 13), ""), std::vector<std::string>{"3"});

    const std::size_t before = boxes().size();
    EXPECT_TRUE(search("alpha", "a'b\"c]").empty());
    ASSERT_EQ(boxes().size(), before + 1);
    EXPECT_EQ(boxes().back().text.substr(0, 21), "The folder name conta");
    EXPECT_FALSE(engine_box_shown());
}

TEST(HostileNames, FoldersAndFilesWithSpacesQuotesAndAccents) {
    testsupport::TempFolder root;
    const std::string folder = root.path() + "My \"odd\" 'folder' caf\xC3\xA9 #1/";
    std::filesystem::create_directories(folder);
    for (const char* spare : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"})
        std::filesystem::copy_file(std::filesystem::path(VELLUMARK_PROGRAM_DIR) / spare,
                                   folder + spare);
    testsupport::ScriptedPlatform platform;
    const std::string name = folder + "a \"quoted\" 'name' na\xC3\xAFve.txt";
    testsupport::write_file(name, "words in a file with an odd name\n");
    {
        app::Program program(platform.services);
        ASSERT_TRUE(app::start_program(program, folder));
        app::mnuOpen_Click(program);
        app::set_file_name(program.frmOpen, name);
        app::frmOpen_Thebutton_Click(program, 0);
        EXPECT_EQ(program.frmMain.txtInput.text, "words in a file with an odd name\r\n");
        app::create_index(program);
        app::close_main_window(program);
    }
    app::Program program(platform.services);
    ASSERT_TRUE(app::start_program(program, folder));
    EXPECT_EQ(reliability::check_document(program.keys, program.text, 1,
                                          "words in a file with an odd name\r\n"),
              std::vector<std::string>{});
    EXPECT_TRUE(platform.dialogs.boxes.empty());
    app::close_main_window(program);
}

TEST_F(HostileInput, AReadOnlyFolderIsRefusedAtStartAndLeftAsItWas) {
    ASSERT_TRUE(story.start());
    store(reliability::document_text(5, 0));
    app::close_main_window(p());
    testsupport::FaultyFileSystem fs;
    fs.setReadOnly(true);
    EXPECT_FALSE(story.start());
    ASSERT_FALSE(boxes().empty());
    EXPECT_EQ(boxes().back().text, app::cannot_open_message(story.folder.file("Keys.dbf"), false));
    fs.setReadOnly(false);
    ASSERT_TRUE(story.start());
    EXPECT_EQ(reliability::check_document(p().keys, p().text, 1, reliability::document_text(5, 0)),
              std::vector<std::string>{});
}

TEST_F(HostileInput, AFullDiskLeavesAStoreTheNextStartMakesSound) {
    for (long long budget : {0LL, 200LL, 2000LL, 9000LL, 30000LL, 90000LL}) {
        SCOPED_TRACE("bytes left on the disk: " + std::to_string(budget));
        testsupport::ProgramStory s;
        testsupport::FaultyFileSystem fs;
        ASSERT_TRUE(s.start());
        for (std::uint32_t i = 0; i < 6; ++i) {
            if (i == 3) fs.setWriteBudget(budget);
            s.index(reliability::document_text(6, i));
        }
        // The document that could not be written is not claimed as stored.
        if (budget < 30000) {
            ASSERT_FALSE(s.platform.dialogs.boxes.empty());
            EXPECT_EQ(s.platform.dialogs.boxes.back().text.substr(0, 46),
                      "The document could not be written to disk (is ");
            EXPECT_EQ(s.main().txtInput.text, reliability::document_text(6, 5));
        }
        app::close_main_window(s.p());
        fs.setWriteBudget(-1);  // space was freed

        ASSERT_TRUE(s.start());
        EXPECT_EQ(reliability::check_table(s.p().keys), std::vector<std::string>{});
        EXPECT_EQ(reliability::check_table(s.p().text), std::vector<std::string>{});
        for (std::int32_t n = 1; n <= 6; ++n) {
            if (n > 3 && reliability::document_absent(s.p().text, n)) continue;
            EXPECT_EQ(reliability::check_document(s.p().keys, s.p().text, n,
                                                  reliability::document_text(6, n - 1), n <= 3),
                      std::vector<std::string>{});
        }
        const std::string after = reliability::document_text(6, 9);
        s.index(after);
        EXPECT_EQ(reliability::check_document(s.p().keys, s.p().text,
                                              s.main().highestDocumentNumber, after),
                  std::vector<std::string>{});
    }
}

}  // namespace
