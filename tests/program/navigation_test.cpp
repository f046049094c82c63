// Record navigation stories: First, Prior, Next and Last Record over the
// document table, deleted records and both ends included, and Specific
// Record with the typed text in the record label.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "browse/do_delete.h"
#include "browse/gonext.h"
#include "browse/goto_record.h"
#include "browse/show_document.h"
#include "browse/specific_record.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

class NavigationStory : public ProgramStory {
  public:
    NavigationStory() { EXPECT_TRUE(start()); }

    // Stores documents numbered 1 to count, each "document <n> of the table".
    void index_documents(int count) {
        for (int n = 1; n <= count; ++n)
            index(text_of(n));
    }
    static std::string text_of(int n) { return "document " + std::to_string(n) + " of the table"; }
};

TEST(RecordNavigation, WalksTheTableAsDocumentOneOfOne) {
    NavigationStory story;
    story.index_documents(3);
    ui::FrmMain& form = story.main();

    // Each command and the document it shows.
    const std::pair<int, int> steps[] = {
        {browse::kFirst, 1}, {browse::kNext, 2}, {browse::kLast, 3}, {browse::kPrevious, 2}};
    for (const auto& [command, number] : steps) {
        browse::goto_record(story.p(), command);
        EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(number));
        EXPECT_EQ(story.status(), "1|1|#" + std::to_string(number) + "||3/15/2024");
        EXPECT_EQ(form.documentOnDisplay, number);
    }

    // The hit navigation now sees a single document.
    browse::gonext(story.p(), browse::kNext);
    browse::gonext(story.p(), browse::kPrevious);
    ASSERT_EQ(story.platform.dialogs.boxes.size(), 2u);
    EXPECT_EQ(story.platform.dialogs.boxes[0].text, "End of records.");
    EXPECT_EQ(story.platform.dialogs.boxes[1].text, "Beginning of records.");
    EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(2));
}

TEST(RecordNavigation, PastEitherEndShowsWhereTheTableStandsAndDeletedRecordsTheNotice) {
    NavigationStory story;
    story.index_documents(2);
    ui::FrmMain& form = story.main();

    browse::goto_record(story.p(), browse::kFirst);
    browse::goto_record(story.p(), browse::kPrevious);  // stays on the first record
    EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(1));
    EXPECT_EQ(story.status(), "1|1|#1||3/15/2024");

    browse::goto_record(story.p(), browse::kLast);
    browse::goto_record(story.p(), browse::kNext);  // end of file: a blank record
    EXPECT_EQ(form.txtInput.text, "");
    EXPECT_EQ(story.status(), "1|1|#3||  /  /    ");
    EXPECT_FALSE(form.documentOnDisplay.has_value());

    browse::goto_record(story.p(), 7);  // no move at all
    EXPECT_EQ(story.status(), "1|1|#3||  /  /    ");
    EXPECT_TRUE(story.platform.dialogs.boxes.empty());

    // A deleted record is shown with the notice.
    browse::goto_record(story.p(), browse::kFirst);
    browse::do_delete(story.p(), browse::kDeleteMode);

    browse::goto_record(story.p(), browse::kLast);
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    browse::goto_record(story.p(), browse::kFirst);
    EXPECT_EQ(form.txtInput.text, browse::kDeletedNotice);
    EXPECT_EQ(form.txtInput.foreColour, ui::kNoticeColour);
    EXPECT_EQ(story.status(), "1|1|#1|Deleted|3/15/2024");
    EXPECT_EQ(form.deleted_text, NavigationStory::text_of(1));
}

TEST(SpecificRecord, SeeksTheTypedTextShowsItInTheRecordLabelAndIgnoresOneWithoutANumber) {
    NavigationStory story;
    story.index_documents(12);
    ui::FrmMain& form = story.main();
    story.platform.dialogs.inputs = {"12abc"};
    browse::specific_record(story.p());

    ASSERT_EQ(story.platform.dialogs.inputBoxes.size(), 1u);
    const auto& asked = story.platform.dialogs.inputBoxes[0];
    EXPECT_EQ(asked.prompt, "Please enter record number.");
    EXPECT_EQ(asked.title, "Vellumark");
    EXPECT_EQ(asked.proposed, "");
    EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(12));
    EXPECT_EQ(story.status(), "1|1|#12abc||3/15/2024");
    EXPECT_EQ(form.documentOnDisplay, 12);

    story.platform.dialogs.inputs = {" 7"};
    browse::specific_record(story.p());
    EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(7));
    EXPECT_EQ(story.status(), "1|1|# 7||3/15/2024");

    // A number no document has: the view shows where the seek left the table.
    story.platform.dialogs.inputs = {"99"};
    browse::specific_record(story.p());
    EXPECT_EQ(form.txtInput.text, "");
    EXPECT_EQ(story.status(), "1|1|#99||  /  /    ");
    EXPECT_FALSE(form.documentOnDisplay.has_value());
    EXPECT_TRUE(story.platform.dialogs.boxes.empty());

    // An answer without a number changes nothing.
    story.platform.dialogs.inputs = {"2"};
    browse::specific_record(story.p());
    for (const std::string answer : {"", "0", "word", "  "}) {
        story.platform.dialogs.inputs = {answer};
        browse::specific_record(story.p());
        EXPECT_EQ(form.txtInput.text, NavigationStory::text_of(2)) << '"' << answer << '"';
        EXPECT_EQ(story.status(), "1|1|#2||3/15/2024") << '"' << answer << '"';
    }
}

}  // namespace
