// Summary list stories: opening it over three hits, choosing lines, closing
// it every way, following Show Next, and the lines made from the texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window_routines.h"
#include "browse/do_delete.h"
#include "browse/gonext.h"
#include "browse/goto_record.h"
#include "browse/summary.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

const std::string kFirst = "Plum harvest\r\nThe plums came in early this year.";
const std::string kSecond = "  Notes on plum jam  \r\n\r\n  boil the fruit  ";
const std::string kThird = "A plum tree " + std::string(120, 'x');

class SummaryStory : public ProgramStory {
  public:
    SummaryStory() {
        EXPECT_TRUE(start());
        for (const std::string& text : {kFirst, kSecond, kThird})
            index(text);
        search("plum");
        EXPECT_EQ(main().LabelCount.caption, "3");
    }

    ui::ComboBox& list() { return main().ComboSummary; }
    bool checked() { return main().menu.mnuSummary.checked; }

    // The user picks a line of the open list.
    void choose(int line) {
        list().select(line);
        browse::ComboSummary_Click(p());
    }
};

TEST(Summary, OpensOverThreeHitsWithTheShownHitSelected) {
    SummaryStory story;
    browse::gonext(story.p(), browse::kNext);
    browse::mnuSummary_Click(story.p());

    const ui::ComboBox& list = story.list();
    EXPECT_TRUE(list.visible);
    EXPECT_TRUE(story.checked());
    EXPECT_EQ(list.items,
              (std::vector<std::string>{
                  "[Close Summary]", "Plum harvest The plums came in early this year.",
                  "Notes on plum jam boil the fruit", "A plum tree " + std::string(88, 'x')}));
    EXPECT_EQ(list.listIndex, 2);
    EXPECT_EQ(list.rect.top, story.main().txtInput.rect.top);
    EXPECT_EQ(list.rect.left, story.main().txtInput.rect.left);
    EXPECT_EQ(list.rect.width, story.main().txtInput.rect.width);
    EXPECT_EQ(story.main().txtInput.text, kSecond);
    EXPECT_EQ(story.main().LabelRecNo.caption, "2");
    EXPECT_EQ(story.main().documentOnDisplay, 2);
}

TEST(Summary, ChoosingALineShowsThatHitAndFollowsShowNext) {
    SummaryStory story;
    browse::mnuSummary_Click(story.p());
    ui::FrmMain& form = story.main();

    story.choose(3);
    EXPECT_EQ(form.txtInput.text, kThird);
    EXPECT_EQ(story.status(), "3|3|#3||3/15/2024");
    EXPECT_TRUE(story.list().visible);

    // The line of the document on display: nothing happens.
    form.txtInput.text = "typed over";
    story.choose(3);
    EXPECT_EQ(form.txtInput.text, "typed over");

    browse::gonext(story.p(), browse::kPrevious);
    EXPECT_EQ(story.list().listIndex, 2);
    EXPECT_EQ(form.txtInput.text, kSecond);
    EXPECT_EQ(story.list().items.size(), 4u);

    story.choose(0);
    EXPECT_FALSE(story.list().visible);
    EXPECT_FALSE(story.checked());
    EXPECT_EQ(form.txtInput.text, kSecond);
    browse::gonext(story.p(), browse::kNext);  // a closed list no longer follows
    EXPECT_EQ(story.list().listIndex, 0);
}

TEST(Summary, ADeletedHitIsChosenWithItsNoticeButListedWithItsText) {
    SummaryStory story;
    browse::do_delete(story.p(), browse::kDeleteMode);  // hit 1 is on display
    browse::gonext(story.p(), browse::kNext);
    browse::mnuSummary_Click(story.p());
    EXPECT_EQ(story.list().items[1], "Plum harvest The plums came in early this year.");
    story.choose(1);
    EXPECT_EQ(story.main().LabelDelete.caption, "Deleted");
    EXPECT_EQ(story.main().txtInput.foreColour, ui::kNoticeColour);
}

TEST(Summary, TheCommandTogglesTheListAndItsCheckMarkAndWithNoPositionClosesItAtOnce) {
    SummaryStory story;
    browse::mnuSummary_Click(story.p());
    EXPECT_TRUE(story.list().visible);
    EXPECT_TRUE(story.checked());
    browse::mnuSummary_Click(story.p());
    EXPECT_FALSE(story.list().visible);
    EXPECT_FALSE(story.checked());

    // Hidden by a toolbar button, the check mark stays; the command rebuilds.
    browse::mnuSummary_Click(story.p());
    story.list().visible = false;
    story.list().items.clear();
    browse::mnuSummary_Click(story.p());
    EXPECT_TRUE(story.list().visible);
    EXPECT_TRUE(story.checked());
    EXPECT_EQ(story.list().items.size(), 4u);

    // With no position it closes again at once.
    browse::mnuSummary_Click(story.p());
    app::clear_screen(story.p());
    browse::mnuSummary_Click(story.p());
    EXPECT_FALSE(story.list().visible);
    EXPECT_FALSE(story.checked());
    EXPECT_EQ(story.list().listIndex, 0);
    EXPECT_EQ(story.list().items.size(), 1u);  // the count reads 0
}

TEST(Summary, TheTableStandsOnTheLastHitAfterTheListIsBuilt) {
    SummaryStory story;
    story.index("an unrelated fourth document");
    story.search("plum");
    browse::mnuSummary_Click(story.p());
    EXPECT_EQ(story.main().txtInput.text, kFirst);
    browse::goto_record(story.p(), browse::kNext);
    EXPECT_EQ(story.main().txtInput.text, "an unrelated fourth document");
}

TEST(SummaryLine, JoinsLineBreaksWithOneBlankWithinTheFirstHundredCharacters) {
    using browse::summary_line;
    const std::string heading(40, 'h');
    EXPECT_EQ(summary_line("\r\n" + heading), " " + heading);
    EXPECT_EQ(summary_line("\r\n" + heading + "\r\nbody"), heading + " body");
    EXPECT_EQ(summary_line("one \r\n\r\n   two"), "one two");
    EXPECT_EQ(summary_line("tail\r\n"), "tail ");
    EXPECT_EQ(summary_line("lone\rcarriage\nreturn"), "lone\rcarriage\nreturn");
    const std::string plain(150, 'p');
    EXPECT_EQ(summary_line(plain), plain.substr(0, 100));
    // A pair cut apart at character 100 leaves its carriage return alone.
    EXPECT_EQ(summary_line(std::string(99, 'a') + "\r\nrest"), std::string(99, 'a') + "\r");
    EXPECT_EQ(summary_line(""), "");
}

}  // namespace
