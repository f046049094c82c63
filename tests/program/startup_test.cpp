// Start-up and shut-down stories: first start from the spare copies, settings,
// restart, and the fatal "Cannot open" paths.
#include <gtest/gtest.h>

#include "app/number_text.h"
#include "app/startup.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace {

using testsupport::ProgramStory;
using testsupport::write_file;

TEST(Startup, FirstStartRestoresTheDataFilesAndUsesDefaults) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    for (const char* name : {"Keys.dbf", "Keys.cdx", "Text.dbf", "Text.cdx", "Text.fpt"}) {
        EXPECT_GT(story.platform.files.fileLength(story.folder.file(name)), 0) << name;
    }
    EXPECT_FALSE(story.platform.files.exists(story.folder.file("vellumark.ini")));
    EXPECT_EQ(story.main().txtInput.font.size, 11);
    EXPECT_EQ(story.main().headerSize, 25);
    EXPECT_EQ(story.main().highestDocumentNumber, 0);
    ASSERT_EQ(story.main().ComboFilter.items.size(), 12u);
    for (const auto& item : story.main().ComboFilter.items)
        EXPECT_EQ(item, "NONE");
    EXPECT_EQ(story.main().ComboFilter.listIndex, 0);
    EXPECT_TRUE(story.platform.dialogs.boxes.empty());
}

TEST(Startup, SettingsAreReadThroughTheirBuffers) {
    ProgramStory story;
    write_file(story.folder.file("vellumark.ini"),
               "[setup]\r\nFONTSIZE=11.5\r\nHeaderSize=123456\r\nDrawer 3=Letters1999\r\n"
               "Drawer 4=\r\nDrawer 5=  Tax  \r\n");
    ASSERT_TRUE(story.start());
    EXPECT_EQ(story.main().txtInput.font.size, 12);
    EXPECT_EQ(story.main().headerSize, 1234);
    const auto& drawers = story.main().ComboFilter.items;
    EXPECT_EQ(drawers[2], "Letter");
    EXPECT_EQ(drawers[3], "");
    EXPECT_EQ(drawers[4], "Tax");
    EXPECT_EQ(drawers[5], "NONE");
}

TEST(Startup, UnusableNumbersFallBackToTheirDefaults) {
    for (const auto& [font, expected] : std::vector<std::pair<std::string, int>>{
             {"abc", 11}, {"0", 11}, {"9", 9}, {"10.5", 10}, {"-3", 11}, {"99", 11}}) {
        ProgramStory story;
        write_file(story.folder.file("vellumark.ini"),
                   "[Setup]\nFontsize=" + font + "\nHeaderSize=-7\n");
        ASSERT_TRUE(story.start());
        EXPECT_EQ(story.main().txtInput.font.size, expected) << font;
        EXPECT_EQ(story.main().headerSize, 25);
    }
}

TEST(Startup, LeadingNumbersSkipBlanksAndRoundHalfToEven) {
    // clang-format off
    const std::pair<const char*, int> cases[] = {{" 1 2x", 12}, {"12abc", 12}, {"2.5", 2},
        {"-3.5", -4}, {"", 0}, {"99999999999999", 2147483647}};
    // clang-format on
    for (const auto& [text, number] : cases)
        EXPECT_EQ(app::leading_whole_number(text), number) << text;
}

TEST(Startup, EmptyDataFileIsRestoredAndAFullOneIsLeftAlone) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    app::close_main_window(story.p());
    write_file(story.folder.file("Keys.dbf"), "");
    ASSERT_TRUE(story.start());
    EXPECT_EQ(xbase::d4recCountDo(story.p().keys), 0);
}

TEST(Startup, DamagedTablesEndTheProgramWithTheirMessages) {
    ProgramStory story;
    write_file(story.folder.file("Keys.dbf"), std::string(300, 'x'));
    EXPECT_FALSE(story.start());
    EXPECT_TRUE(story.p().ended);
    ASSERT_EQ(story.platform.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(testsupport::is_box(
        story.boxes()[0], app::cannot_open_message(story.folder.file("Keys.dbf"), false)));

    // A damaged Text table shows the message with three n's.
    ProgramStory text;
    write_file(text.folder.file("Text.dbf"), std::string(64, '\x03'));
    EXPECT_FALSE(text.start());
    ASSERT_EQ(text.platform.dialogs.boxes.size(), 1u);
    EXPECT_EQ(text.platform.dialogs.boxes[0].text.rfind("Cannnot open /", 0), 0u);
    EXPECT_NE(text.platform.dialogs.boxes[0].text.find("/TEXT.DBF database.  Please try again.  "
                                                       "If the problem persits, restart Windows."),
              std::string::npos);
}

}  // namespace
