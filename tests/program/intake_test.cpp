// Intake stories: opening text files through the Open File dialog (its
// lists, type, picture-name check and OK), and importing the clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "index/clipboard_import.h"
#include "index/open_text_file.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;
using testsupport::write_file;

bool contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

class OpenTextFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(story.start());
        app::mnuOpen_Click(story.p());
    }

    // Types name into the file-name box and presses OK.
    void open(const std::string& name) {
        app::set_file_name(dialog(), name);
        app::frmOpen_Thebutton_Click(story.p(), 0);
    }

    // Presses the directory list's entry for folder, a subfolder of the one
    // shown, after listing the shown one anew (the folder may be new).
    void enter(const std::string& folder) {
        app::Dir1_MouseDown(story.p(), dialog());
        ui::DirList& dirs = dialog().Dir1;
        auto at = std::find(dirs.items.begin(), dirs.items.end(), folder);
        ASSERT_NE(at, dirs.items.end()) << folder;
        dirs.listIndex = static_cast<int>(at - dirs.items.begin());
        app::Dir1_MouseDown(story.p(), dialog());
    }

    ui::FrmOpen& dialog() { return story.p().frmOpen; }
    ui::TextBox& input() { return story.main().txtInput; }

    ProgramStory story;
};

TEST_F(OpenTextFile, FirstShowLoadsTheDialogAtTheProgramFolder) {
    ui::FrmOpen& d = dialog();
    EXPECT_TRUE(d.loaded);
    EXPECT_TRUE(d.visible);
    EXPECT_EQ(d.Typelist.items,
              (std::vector<std::string>{"All Files (*.*)", "Text Files (*.txt)"}));
    EXPECT_EQ(d.Typelist.listIndex, 0);
    EXPECT_EQ(d.Filenamebox.text, "");
    EXPECT_TRUE(d.Thebutton[1].visible);
    EXPECT_EQ(d.Dirname.caption, story.folder.path());
    EXPECT_EQ(d.File1.pattern, "*.*");
    EXPECT_TRUE(contains(d.File1.items, "Keys.dbf"));
    EXPECT_TRUE(contains(d.File1.items, "Text.xx3"));
    EXPECT_EQ(d.Dir1.selectedItem() + "/", story.folder.path());
    EXPECT_TRUE(contains(d.Dir1.items, "/"));
    EXPECT_NE(d.Drive1.listIndex, -1);
    app::set_file_name(d, "photo.JPG");  // the picture-name check runs on each change
    EXPECT_FALSE(d.Thebutton[1].visible);
}

TEST_F(OpenTextFile, ReadsUtf8AndCp1252FilesWithCrLfLineBreaks) {
    write_file(story.folder.file("utf8.txt"), "caf\xC3\xA9\nna\xC3\xAFve\r\n\xE2\x82\xAC 5");
    write_file(story.folder.file("ansi.txt"), "caf\xE9\nna\xEFve \x80 5\n");
    input().text = "old text";
    open("utf8.txt");
    EXPECT_EQ(input().text, "caf\xE9\r\nna\xEFve\r\n\x80 5");
    EXPECT_EQ(story.main().focus, ui::MainFocus::txtInput);
    EXPECT_FALSE(dialog().visible);

    app::mnuOpen_Click(story.p());
    open("  ansi.txt  ");
    EXPECT_EQ(input().text, "caf\xE9\r\nna\xEFve \x80 5\r\n");
    EXPECT_TRUE(story.boxes().empty());
}

TEST_F(OpenTextFile, OpensANameWithSpacesAndNonAsciiCharactersPickedFromTheList) {
    const std::string name = "my notes \xC3\xA9t\xC3\xA9 2024.txt";  // as the file system spells it
    write_file(story.folder.file(name), "summer notes");
    app::Typelist_Click(story.p(), dialog());  // refreshes the list with the new file
    auto& files = dialog().File1.items;
    auto at = std::find(files.begin(), files.end(), name);
    ASSERT_NE(at, files.end());
    dialog().File1.listIndex = static_cast<int>(at - files.begin());
    app::File1_Click(dialog());
    EXPECT_EQ(dialog().Filenamebox.text, name);
    app::frmOpen_Thebutton_Click(story.p(), 0);
    EXPECT_EQ(input().text, "summer notes");
    EXPECT_TRUE(story.boxes().empty());
}

TEST_F(OpenTextFile, TypeListNarrowsTheFileListToTextFiles) {
    write_file(story.folder.file("a.txt"), "a");
    write_file(story.folder.file("B.TXT"), "b");
    dialog().Typelist.select(1);
    app::Typelist_Click(story.p(), dialog());
    EXPECT_EQ(dialog().File1.pattern, "*.txt");
    EXPECT_EQ(dialog().File1.items, (std::vector<std::string>{"B.TXT", "a.txt"}));
    dialog().Typelist.select(0);
    app::Typelist_Click(story.p(), dialog());
    EXPECT_TRUE(contains(dialog().File1.items, "Keys.dbf"));
}

TEST_F(OpenTextFile, DirectoryListEntersTheHighlightedFolder) {
    const std::string folder = story.folder.path().substr(0, story.folder.path().size() - 1);
    std::filesystem::create_directory(story.folder.file("letters"));
    write_file(story.folder.file("letters/june.txt"), "Dear June");
    ASSERT_EQ(dialog().Dir1.selectedItem(), folder);
    int yields = story.platform.desktop.yields;
    enter(folder + "/letters");
    EXPECT_EQ(dialog().Dirname.caption, story.folder.file("letters/"));
    EXPECT_EQ(story.platform.desktop.yields, yields + 2);
    EXPECT_EQ(dialog().File1.items, (std::vector<std::string>{"june.txt"}));
    EXPECT_EQ(dialog().Dir1.selectedItem(), folder + "/letters");
    EXPECT_TRUE(contains(dialog().Dir1.items, folder)) << "the way back up is offered";

    dialog().File1.listIndex = 0;
    app::File1_Click(dialog());
    app::frmOpen_Thebutton_Click(story.p(), 0);
    EXPECT_EQ(input().text, "Dear June");
}

TEST_F(OpenTextFile, DriveChangeShowsTheDriveRoot) {
    ui::ListBox& drives = dialog().Drive1;
    ASSERT_FALSE(drives.items.empty());
    drives.listIndex = static_cast<int>(drives.items.size()) - 1;
    app::Drive1_Change(story.p(), dialog());
    std::string root = platform::withTrailingSeparator(drives.items.back());
    EXPECT_EQ(dialog().Dirname.caption, root);
    EXPECT_EQ(dialog().File1.path + (root == "/" ? "" : "/"), root);
}

TEST_F(OpenTextFile, AbsoluteNamesStandForThemselvesOthersLieInTheCurrentFolder) {
    testsupport::TempFolder elsewhere;
    write_file(elsewhere.file("far.txt"), "far away");
    std::filesystem::create_directory(story.folder.file("sub"));
    write_file(story.folder.file("sub/near.txt"), "close by");
    open(elsewhere.file("far.txt"));
    EXPECT_EQ(input().text, "far away");
    app::mnuOpen_Click(story.p());
    open("sub/near.txt");
    EXPECT_EQ(input().text, "close by");
    EXPECT_EQ(dialog().Dirname.caption, story.folder.path());
}

TEST_F(OpenTextFile, CancelAndBlankNamesCloseWithoutReading) {
    write_file(story.folder.file("x.txt"), "x");
    input().text = "kept";
    app::set_file_name(dialog(), "x.txt");
    app::frmOpen_Thebutton_Click(story.p(), 1);
    EXPECT_FALSE(dialog().visible);
    app::mnuOpen_Click(story.p());
    open("   ");
    EXPECT_FALSE(dialog().visible);
    EXPECT_EQ(input().text, "kept");
    EXPECT_TRUE(story.boxes().empty());
}

TEST_F(OpenTextFile, FilesThatCannotBeReadAreReportedAndTheTextIsKept) {
    std::filesystem::create_directory(story.folder.file("notes.txt"));  // opens, gives no text
    input().text = "unsaved work";
    for (const auto& [name, error] :
         {std::pair{"missing.txt", "No such file or directory"}, {"notes.txt", "Is a directory"}}) {
        story.platform.dialogs.boxes.clear();
        open(name);
        ASSERT_EQ(story.boxes().size(), 1u);
        EXPECT_TRUE(testsupport::is_box(
            story.boxes()[0], std::string(error) + ".  (File " + story.folder.file(name) + ")"));
        EXPECT_TRUE(dialog().visible);
        EXPECT_EQ(input().text, "unsaved work");
    }
}

TEST_F(OpenTextFile, ShownAgainAsItWasLeft) {
    std::filesystem::create_directory(story.folder.file("sub"));
    enter(story.folder.file("sub"));
    dialog().Typelist.select(1);
    app::Typelist_Click(story.p(), dialog());
    app::set_file_name(dialog(), "draft.txt");
    app::frmOpen_Thebutton_Click(story.p(), 1);

    app::mnuOpen_Click(story.p());
    EXPECT_TRUE(dialog().visible);
    EXPECT_EQ(dialog().Dirname.caption, story.folder.file("sub/"));
    EXPECT_EQ(dialog().File1.pattern, "*.txt");
    EXPECT_EQ(dialog().Typelist.listIndex, 1);
    EXPECT_EQ(dialog().Filenamebox.text, "draft.txt");
}

TEST(ClipboardImport, ReplacesTheTextAndLeavesTheViewAsItWas) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    ui::FrmMain& form = story.main();
    form.txtInput.text = "old";
    form.txtInput.foreColour = ui::kNoticeColour;
    form.ComboSummary.visible = true;
    form.LabelRecNo.caption = "2";
    form.LabelCount.caption = "3";
    form.hitList[1] = "         7";
    story.platform.clipboard.contents = "pasted\r\ntext";
    app::import_clipboard(story.p());
    EXPECT_EQ(form.txtInput.text, "pasted\r\ntext");
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    EXPECT_FALSE(form.ComboSummary.visible);
    EXPECT_EQ(form.LabelRecNo.caption, "2");
    EXPECT_EQ(form.LabelCount.caption, "3");
    EXPECT_EQ(form.hitList[1], "         7");

    story.platform.clipboard.contents.clear();
    app::import_clipboard(story.p());
    EXPECT_EQ(form.txtInput.text, "");
}

}  // namespace
