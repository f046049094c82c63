// Delete and un-delete stories: the mark on the shown document and all its
// keyword records, the notice when the document comes back, the reveal by
// double-click, restoring, and the command after record navigation.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window_routines.h"
#include "browse/do_delete.h"
#include "browse/gonext.h"
#include "browse/goto_record.h"
#include "browse/show_document.h"
#include "index/edit_commands.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace {

using testsupport::ProgramStory;

using Marks = testsupport::DocumentRecords;

// Every one of at least one record is marked, or none is.
bool all_marked(const Marks& marks) {
    return marks.records > 0 && marks.marked == marks.records;
}
bool none_marked(const Marks& marks) {
    return marks.records > 0 && marks.marked == 0;
}

class DeleteStory : public ProgramStory {
  public:
    DeleteStory() { EXPECT_TRUE(start()); }

    Marks text_marks(std::int32_t number) {
        return testsupport::records_by_document(main().textPath)[number];
    }
    Marks keys_marks(std::int32_t number) {
        return testsupport::records_by_document(main().keysPath)[number];
    }

    // Three documents that one search finds, in document-number order.
    void index_three_pears() {
        index("first pear document of the orchard");
        index("second pear document with a few more words in it");
        index("third pear document closes the list");
        search("pear");
        ASSERT_EQ(main().LabelCount.caption, "3");
    }
};

TEST(Delete, MarksTheShownHitWhichComesBackWithTheNoticeAndIsRevealedByDoubleClick) {
    DeleteStory story;
    story.index_three_pears();
    ui::FrmMain& form = story.main();
    browse::gonext(story.p(), browse::kNext);
    const std::string second = form.txtInput.text;
    ASSERT_EQ(second, "second pear document with a few more words in it");

    story.platform.desktop.pointerChanges.clear();
    browse::do_delete(story.p(), browse::kDeleteMode);
    EXPECT_EQ(form.LabelDelete.caption, "Deleted");
    EXPECT_EQ(form.txtInput.foreColour, ui::kNoticeColour);
    EXPECT_EQ(form.txtInput.text, second);  // the notice waits for the next display
    EXPECT_EQ(story.platform.desktop.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(story.platform.dialogs.boxes.empty());
    EXPECT_EQ(story.text_marks(2), (Marks{1, 1}));
    EXPECT_TRUE(all_marked(story.keys_marks(2)));
    EXPECT_TRUE(none_marked(story.keys_marks(1)));
    EXPECT_EQ(story.text_marks(3), (Marks{1, 0}));

    browse::gonext(story.p(), browse::kNext);
    EXPECT_EQ(form.LabelDelete.caption, "");
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    browse::gonext(story.p(), browse::kPrevious);
    EXPECT_EQ(form.txtInput.text, browse::kDeletedNotice);
    EXPECT_EQ(form.txtInput.foreColour, ui::kNoticeColour);
    EXPECT_EQ(form.LabelDelete.caption, "Deleted");
    EXPECT_EQ(form.deleted_text, second);

    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, second);
    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, second);

    // On a live document the double-click leaves the user's text alone.
    browse::gonext(story.p(), browse::kNext);
    form.txtInput.text = "edited by the user";
    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, "edited by the user");
}

TEST(Undelete, RestoresTheNoticeTextAndRecallsEveryKeywordRecord) {
    DeleteStory story;
    story.index_three_pears();
    ui::FrmMain& form = story.main();
    // Un-delete of a live document keeps the (edited) text and says Restored.
    form.txtInput.text = "edited by the user";
    browse::do_delete(story.p(), browse::kUndeleteMode);
    EXPECT_EQ(form.txtInput.text, "edited by the user");
    EXPECT_EQ(form.LabelDelete.caption, "Restored");
    EXPECT_EQ(story.text_marks(1), (Marks{1, 0}));

    browse::gonext(story.p(), browse::kLast);
    browse::do_delete(story.p(), browse::kDeleteMode);
    browse::gonext(story.p(), browse::kFirst);
    browse::gonext(story.p(), browse::kLast);
    ASSERT_EQ(form.txtInput.text, browse::kDeletedNotice);

    browse::do_delete(story.p(), browse::kUndeleteMode);
    EXPECT_EQ(form.txtInput.text, "third pear document closes the list");
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    EXPECT_EQ(form.LabelDelete.caption, "Restored");
    EXPECT_EQ(story.text_marks(3), (Marks{1, 0}));
    EXPECT_TRUE(none_marked(story.keys_marks(3)));

    // Back on it later: a live document again.
    browse::gonext(story.p(), browse::kFirst);
    browse::gonext(story.p(), browse::kLast);
    EXPECT_EQ(form.txtInput.text, "third pear document closes the list");
    EXPECT_EQ(form.LabelDelete.caption, "");
}

TEST(Delete, AfterRecordNavigationActsOnTheDocumentShownNotOnHitOne) {
    DeleteStory story;
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "word" + std::to_string(i) + " ";
    story.index("apple one is the first hit of the search");
    story.index("no fruit in here at all, only text");
    story.index("apple three " + many);
    story.search("apple");
    ASSERT_EQ(story.main().LabelCount.caption, "2");

    browse::goto_record(story.p(), browse::kFirst);
    browse::goto_record(story.p(), browse::kNext);
    ASSERT_EQ(story.main().txtInput.text, "no fruit in here at all, only text");
    ASSERT_EQ(story.main().LabelRecNo.caption, "1");
    browse::do_delete(story.p(), browse::kDeleteMode);
    EXPECT_EQ(story.text_marks(2), (Marks{1, 1}));
    EXPECT_TRUE(all_marked(story.keys_marks(2)));
    EXPECT_EQ(story.text_marks(1), (Marks{1, 0}));
    EXPECT_TRUE(none_marked(story.keys_marks(1)));

    // A document with many keyword records: every one is marked.
    browse::goto_record(story.p(), browse::kLast);
    browse::do_delete(story.p(), browse::kDeleteMode);
    EXPECT_EQ(story.keys_marks(3), (Marks{302, 302}));
    EXPECT_EQ(story.text_marks(3), (Marks{1, 1}));
}

TEST(Delete, WithNothingOnDisplaySaysCannotLocateRecordAndChangesNothing) {
    DeleteStory story;
    auto expect_refused = [&story](const char* when) {
        const std::size_t before = story.platform.dialogs.boxes.size();
        browse::do_delete(story.p(), browse::kDeleteMode);
        ASSERT_EQ(story.platform.dialogs.boxes.size(), before + 1) << when;
        const auto& box = story.platform.dialogs.boxes.back();
        EXPECT_TRUE(testsupport::is_box(box, "Cannot locate record.")) << when;
        EXPECT_FALSE(box.busy) << when;
        EXPECT_FALSE(story.platform.desktop.busy) << when;
        EXPECT_EQ(story.main().LabelDelete.caption, "") << when;
    };
    expect_refused("before anything is stored");

    story.index("a melon document for the table");
    story.search("melon");
    app::clear_screen(story.p());
    expect_refused("after Clear Screen");

    story.search("banana");
    expect_refused("after a search that finds nothing");

    browse::goto_record(story.p(), browse::kLast);
    browse::goto_record(story.p(), browse::kNext);  // past the end: no record
    expect_refused("past the end of the table");
    EXPECT_EQ(story.text_marks(1), (Marks{1, 0}));
    EXPECT_TRUE(none_marked(story.keys_marks(1)));
}

TEST(Delete, ARecordLockedElsewhereKeepsItsMarkAndTheViewSaysNothingFalse) {
    DeleteStory story;
    story.index_three_pears();
    xbase::Code4* other = xbase::d4init_v();
    xbase::Data4* text = xbase::d4open(other, story.main().textPath.c_str());
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(xbase::d4lock(text, 1), 0);

    browse::do_delete(story.p(), browse::kDeleteMode);
    EXPECT_EQ(story.main().LabelDelete.caption, "");
    EXPECT_EQ(story.main().txtInput.foreColour, ui::kBlack);
    EXPECT_FALSE(story.platform.desktop.busy);
    xbase::d4initUndo(other);
    EXPECT_EQ(story.text_marks(1), (Marks{1, 0}));
    EXPECT_TRUE(none_marked(story.keys_marks(1)));
}

}  // namespace
