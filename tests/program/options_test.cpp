// Search options stories: Font Size and Header Size with their bounds and
// parsing, what survives a restart, and Search Criteria.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window_routines.h"
#include "platform/profile.h"
#include "search/do_search.h"
#include "search/search_options.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

TEST(FontSize, AcceptsOneToFortyEightRoundedHalfToEvenAndOutlivesARestart) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    auto& dialogs = story.platform.dialogs;
    // Each answer starts from the size the one before left; 0: refused.
    // clang-format off
    const std::pair<std::string, int> cases[] = {
        {"48", 48}, {"1.4", 1}, {"12abc", 12}, {"10.5", 10}, {"11.5", 12}, {" 9", 9},
        {"49", 0}, {"0", 0}, {"0.6", 0}, {"", 0}, {"abc", 0}, {"-12", 0}};
    // clang-format on
    int size = 11;
    for (const auto& [answer, expected] : cases) {
        const std::size_t boxes = dialogs.boxes.size();
        dialogs.inputs.push_back(answer);
        search::mnuFontsize_Click(story.p());
        size = expected == 0 ? size : expected;
        EXPECT_EQ(story.main().txtInput.font.size, size) << answer;
        ASSERT_EQ(dialogs.boxes.size(), boxes + (expected == 0)) << answer;
        if (expected == 0) {
            EXPECT_TRUE(testsupport::is_box(dialogs.boxes.back(), "Invalid Font Size."));
        }
    }
    EXPECT_EQ(dialogs.inputBoxes[0].prompt, "Enter Font Size.");
    EXPECT_EQ(dialogs.inputBoxes[0].title, "Font Size");
    EXPECT_EQ(dialogs.inputBoxes[0].proposed, "11");
    EXPECT_EQ(dialogs.inputBoxes[1].proposed, "48");
    EXPECT_EQ(story.platform.desktop.yields, 6);  // after each accepted size
    EXPECT_EQ(
        platform::readProfileString("Setup", "FontSize", "", 5, story.folder.file("vellumark.ini")),
        "9");  // the last size accepted

    // The font size outlives a restart; the header size does not.
    story.platform.dialogs.inputs = {"14", "30"};
    search::mnuFontsize_Click(story.p());
    search::mnuHeadersize_Click(story.p());
    EXPECT_EQ(story.main().headerSize, 30);
    const std::string settings = story.folder.file("vellumark.ini");
    EXPECT_EQ(platform::readProfileString("Setup", "FontSize", "", 5, settings), "14");
    EXPECT_EQ(platform::readProfileString("Setup", "HeaderSize", "", 5, settings), "");

    ASSERT_TRUE(story.start());
    EXPECT_EQ(story.main().txtInput.font.size, 14);
    EXPECT_EQ(story.main().headerSize, 25);
}

TEST(HeaderSize, TakesWholeNumbersAboveOneAndIgnoresEverythingElse) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    auto& dialogs = story.platform.dialogs;
    // Each answer starts from the size the one before left.
    // clang-format off
    const std::pair<std::string, int> cases[] = {
        {"2", 2}, {"1", 2}, {"1.0", 2}, {"1.5", 2}, {"10", 10}, {"30 words", 10}, {"abc", 10},
        {"", 10}, {"0", 10}, {"-5", 10}, {"40000", 10}, {" 32767 ", 32767}, {"+2.5", 2},
        {"1e2", 100}, {"inf", 100}, {"1.2", 1}};
    // clang-format on
    for (const auto& [answer, expected] : cases) {
        dialogs.inputs.push_back(answer);
        search::mnuHeadersize_Click(story.p());
        EXPECT_EQ(story.main().headerSize, expected) << '"' << answer << '"';
    }
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(dialogs.inputBoxes[0].prompt,
              "Specify the number of words in the header for the 'Top Only' search.");
    EXPECT_EQ(dialogs.inputBoxes[0].title, "Header Size");
    EXPECT_EQ(dialogs.inputBoxes[0].proposed, "25");
    EXPECT_EQ(dialogs.inputBoxes[1].proposed, "2");
    EXPECT_FALSE(story.platform.files.exists(story.folder.file("vellumark.ini")));
}

TEST(SearchCriteria, ShowsTheLastQueryInAPlainBox) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    search::mnuCriteria_Click(story.p());
    ASSERT_EQ(story.platform.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], "", platform::Icon::None));

    story.main().txtSearch.text = "Friend* meeting";
    search::do_search(story.p());
    app::clear_screen(story.p());  // the query outlives the view
    search::mnuCriteria_Click(story.p());
    EXPECT_EQ(story.platform.dialogs.boxes.back().text,
              "UPPER(Keys) + STR(Items) = 'FRIEND' .OR. UPPER(Keys) + STR(Items) = 'MEETING '");
}

}  // namespace
