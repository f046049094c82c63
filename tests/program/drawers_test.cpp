// Drawer Setup stories: loading the dialog, OK writing the twelve names and
// refilling the drawer box, Close keeping everything, and a restart.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "search/drawers.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

std::string drawer_setting(ProgramStory& story, int drawer) {
    return platform::readProfileString("Setup", "Drawer " + std::to_string(drawer), "<missing>", 64,
                                       story.folder.file("vellumark.ini"));
}

TEST(DrawerSetup, LoadsTwelveRowsFromTheSettingsWithTheHelpText) {
    ProgramStory story;
    std::ofstream(story.folder.file("vellumark.ini"))
        << "[Setup]\nDrawer 2=Letters1999\nDrawer 3=\nDrawer 12= 9912L \n";
    ASSERT_TRUE(story.start());
    search::mnuSetupFolders_Click(story.p());

    const ui::FrmFilter& dialog = story.p().frmFilter;
    EXPECT_TRUE(dialog.loaded);
    EXPECT_TRUE(dialog.visible);
    std::vector<std::string> names;
    for (int i = 1; i <= 12; ++i) {
        EXPECT_TRUE(dialog.txtFilter[i].visible) << i;
        EXPECT_TRUE(dialog.LabelFilter[i].visible) << i;
        EXPECT_EQ(dialog.LabelFilter[i].caption, "Drawer " + std::to_string(i));
        names.push_back(dialog.txtFilter[i].text);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"NONE", "Letter", "", "NONE", "NONE", "NONE", "NONE",
                                               "NONE", "NONE", "NONE", "NONE", "9912L"}));
    EXPECT_EQ(dialog.Text1.text.substr(0, 62),
              "Folders allow you to separate documents into specific areas.  ");
    EXPECT_NE(dialog.Text1.text.find("use folders. \r\n\r\nYou can specify 12 drawer names."),
              std::string::npos);
    EXPECT_NE(dialog.Text1.text.find("December 1999 etc.  \r\n\r\nThe drawer named 'NONE'"),
              std::string::npos);
    EXPECT_TRUE(dialog.Text1.text.ends_with("equivalent to a un-named drawer."));
}

TEST(DrawerSetup, OkWritesTheNamesAsTypedAndRefillsTheDrawerBox) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    ui::ComboBox& box = story.main().ComboFilter;
    box.select(5);  // another drawer in force before the dialog opens
    search::mnuSetupFolders_Click(story.p());
    ui::FrmFilter& dialog = story.p().frmFilter;
    dialog.txtFilter[1].text = " Tax ";
    dialog.txtFilter[2].text = "99";
    dialog.txtFilter[3].text = "";
    dialog.txtFilter[4].text = "9912L";
    dialog.txtFilter[5].text = "o'Hara";
    dialog.txtFilter[6].text = "99";
    search::buttonOK_Click(story.p(), search::kDrawerOk);

    EXPECT_FALSE(dialog.loaded);
    EXPECT_FALSE(dialog.visible);
    const std::vector<std::string> expected{"Tax",  "99",   "",     "9912L", "o'Hara", "99",
                                            "NONE", "NONE", "NONE", "NONE",  "NONE",   "NONE"};
    EXPECT_EQ(box.items, expected);
    EXPECT_EQ(box.listIndex, 0);
    EXPECT_EQ(box.text, "Tax");
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(drawer_setting(story, i), expected[i - 1]) << i;

    // Start-up reads back exactly what OK wrote, the emptied slot included.
    ASSERT_TRUE(story.start());
    EXPECT_EQ(story.main().ComboFilter.items, expected);
}

TEST(DrawerSetup, CloseDiscardsTheEditsAndASecondOpenReloadsWhatOkThenWrites) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    ui::ComboBox& box = story.main().ComboFilter;
    box.select(3);
    box.text = "typed";  // a drawer typed into the box stays in force
    search::mnuSetupFolders_Click(story.p());
    ui::FrmFilter& dialog = story.p().frmFilter;
    dialog.txtFilter[1].text = "Edited";

    // Setup Folders again while the dialog is open shows it without reloading.
    search::mnuSetupFolders_Click(story.p());
    EXPECT_EQ(dialog.txtFilter[1].text, "Edited");

    search::buttonOK_Click(story.p(), search::kDrawerClose);
    EXPECT_FALSE(dialog.loaded);
    EXPECT_FALSE(dialog.visible);
    EXPECT_FALSE(story.platform.files.exists(story.folder.file("vellumark.ini")));
    EXPECT_EQ(box.items, std::vector<std::string>(12, "NONE"));
    EXPECT_EQ(box.listIndex, 3);
    EXPECT_EQ(box.text, "typed");

    search::mnuSetupFolders_Click(story.p());
    EXPECT_EQ(dialog.txtFilter[1].text, "NONE");
    // OK without a settings file writes twelve NONEs.
    search::buttonOK_Click(story.p(), search::kDrawerOk);
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(drawer_setting(story, i), "NONE") << i;
}

}  // namespace
