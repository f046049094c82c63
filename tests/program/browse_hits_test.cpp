// Hit navigation stories: stepping through the hits of a search to both ends,
// the display of each hit (record label, date, deletion notice), and the
// date caption on its own.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window_routines.h"
#include "browse/gonext.h"
#include "browse/show_document.h"
#include "tests/program/search_documents.h"

namespace {

using browse::gonext;
using testsupport::SearchStory;

class HitNavigation : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(story.started);
        story.store("nothing to find here");    // record 1
        story.store("first budget");            // record 2
        second = story.store("second budget");  // record 3
        story.store("third budget");            // record 4
        story.search("budget");
        ASSERT_EQ(story.main().LabelCount.caption, "3");
    }

    // The view shows hit `position`: its text, its record number and date.
    void expect_hit(const std::string& position, const std::string& text, long record) {
        EXPECT_EQ(story.status(), position + "|3|#" + std::to_string(record) + "||3/15/2024");
        EXPECT_EQ(story.main().txtInput.text, text);
    }

    void expect_box(const std::string& text) {
        ASSERT_EQ(story.boxes().size(), 1u);
        EXPECT_TRUE(testsupport::is_box(story.boxes()[0], text));
        story.platform.dialogs.boxes.clear();
    }

    SearchStory story;
    testsupport::StoredDocument second;
};

TEST_F(HitNavigation, StepsThroughTheHitsAndStopsAtBothEnds) {
    gonext(story.p(), browse::kNext);
    expect_hit("2", "second budget", 3);
    EXPECT_EQ(story.main().documentOnDisplay, 3);
    gonext(story.p(), browse::kNext);
    expect_hit("3", "third budget", 4);
    gonext(story.p(), browse::kNext);
    expect_box("End of records.");
    expect_hit("3", "third budget", 4);

    gonext(story.p(), browse::kFirst);
    expect_hit("1", "first budget", 2);
    gonext(story.p(), browse::kPrevious);
    expect_box("Beginning of records.");
    expect_hit("1", "first budget", 2);
    gonext(story.p(), browse::kLast);
    expect_hit("3", "third budget", 4);
    gonext(story.p(), browse::kPrevious);
    expect_hit("2", "second budget", 3);
    EXPECT_TRUE(story.boxes().empty());
}

TEST_F(HitNavigation, ADeletedHitShowsTheNoticeUntilTheNextMove) {
    testsupport::mark_deleted(story.p(), second);
    gonext(story.p(), browse::kNext);
    ui::FrmMain& form = story.main();
    EXPECT_EQ(form.txtInput.text, browse::kDeletedNotice);
    EXPECT_EQ(form.txtInput.foreColour, ui::kNoticeColour);
    EXPECT_EQ(form.LabelDelete.caption, "Deleted");
    EXPECT_EQ(form.deleted_text, "second budget");

    // Refused at the end: the notice stays, but black.
    form.LabelCount.caption = "2";
    gonext(story.p(), browse::kNext);
    expect_box("End of records.");
    EXPECT_EQ(form.txtInput.text, browse::kDeletedNotice);
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);

    gonext(story.p(), browse::kFirst);
    EXPECT_EQ(form.LabelDelete.caption, "");
    EXPECT_EQ(form.deleted_text, "");
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
}

TEST_F(HitNavigation, AfterClearScreenOnlyFirstAndLastMove) {
    app::clear_screen(story.p());
    gonext(story.p(), browse::kNext);
    expect_box("End of records.");
    gonext(story.p(), browse::kFirst);  // the hit list is still there
    EXPECT_EQ(story.main().LabelRecNo.caption, "1");
    EXPECT_EQ(story.main().txtInput.text, "first budget");
    EXPECT_EQ(story.main().LabelCount.caption, "0");

    gonext(story.p(), browse::kLast);  // count 0: slot 0, never filled, is sought
    EXPECT_EQ(story.main().LabelRecNo.caption, "0");
    EXPECT_TRUE(story.boxes().empty());
}

TEST(HitNavigationBeforeAnySearch, DesignCaptionsReadAsZero) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    EXPECT_EQ(story.main().LabelCount.caption, "Count");
    browse::gonext(story.p(), browse::kNext);
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_EQ(story.boxes()[0].text, "End of records.");
    EXPECT_EQ(story.main().LabelRecNo.caption, "No");

    // With an empty table Show First stands on no record: an empty view.
    browse::gonext(story.p(), browse::kFirst);
    EXPECT_EQ(story.main().LabelRecNo.caption, "1");
    EXPECT_EQ(story.main().txtInput.text, "");
    EXPECT_FALSE(story.main().documentOnDisplay.has_value());
}

TEST(DocumentDate, ShortDateOfAValidDateElseTheRearrangedText) {
    testsupport::ScriptedDesktop desktop;
    EXPECT_EQ(browse::date_caption("20240315", desktop), "3/15/2024");
    desktop.dateFormat = "DD.MM.YYYY";
    EXPECT_EQ(browse::date_caption("19991231", desktop), "31.12.1999");
    EXPECT_EQ(browse::date_caption("        ", desktop), "  /  /    ");
    EXPECT_EQ(browse::date_caption("20240230", desktop), "02/30/2024");
    EXPECT_EQ(browse::date_caption("2024 315", desktop), " 3/15/2024");
    EXPECT_EQ(browse::date_caption("", desktop), "//");
}

}  // namespace
