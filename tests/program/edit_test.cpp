// Edit command stories: the Edit menu's enabling when it opens, Undo, Cut,
// Copy and Paste on the focused text box, and the double-click that reveals
// a provisionally deleted document's text.
#include <gtest/gtest.h>

#include "browse/do_delete.h"
#include "browse/gonext.h"
#include "browse/goto_record.h"
#include "index/create_index.h"
#include "index/edit_commands.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

class EditMenu : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    // Opens the Edit menu and reads its entries' enabled states.
    struct Enabled {
        bool undo, cut, copy, paste;
    };
    Enabled open_menu() {
        app::mnuEdit_Click(story.p());
        const ui::MainMenu& menu = story.main().menu;
        return {menu.mnuUndo.enabled, menu.mnuCut.enabled, menu.mnuCopy.enabled,
                menu.mnuPaste.enabled};
    }

    ui::FrmMain& form() { return story.main(); }
    std::string& clipboard() { return story.platform.clipboard.contents; }

    ProgramStory story;
};

TEST_F(EditMenu, NothingToActOnDisablesEverything) {
    Enabled e = open_menu();
    EXPECT_FALSE(e.undo);
    EXPECT_FALSE(e.cut);
    EXPECT_FALSE(e.copy);
    EXPECT_FALSE(e.paste);  // an empty clipboard, or one holding only a picture
}

TEST_F(EditMenu, SelectionInTheSearchBoxEnablesCutWhichRemovesIt) {
    form().focus = ui::MainFocus::txtSearch;
    form().txtSearch.text = "apple pie";
    form().txtSearch.selStart = 0;
    form().txtSearch.selLength = 6;
    Enabled e = open_menu();
    EXPECT_TRUE(e.cut);
    EXPECT_TRUE(e.copy);
    EXPECT_FALSE(e.paste);

    app::mnuCut_Click(story.p());
    EXPECT_EQ(form().txtSearch.text, "pie");
    EXPECT_EQ(clipboard(), "apple ");
    e = open_menu();
    EXPECT_FALSE(e.cut);
    EXPECT_TRUE(e.paste);
    EXPECT_FALSE(e.undo) << "Undo is offered for txtInput only";
}

TEST_F(EditMenu, UndoServesTheTextBoxWhereverTheFocusIs) {
    form().focus = ui::MainFocus::txtInput;
    form().txtInput.text = "draft";
    form().txtInput.selStart = 5;
    form().txtInput.replaceSelection(" two");  // typed
    form().focus = ui::MainFocus::txtSearch;
    EXPECT_TRUE(open_menu().undo);
    app::mnuUndo_Click(story.p());
    EXPECT_EQ(form().txtInput.text, "draft");

    form().txtInput.text = "set by a routine";  // no edit to undo any more
    EXPECT_FALSE(open_menu().undo);
}

TEST_F(EditMenu, CopyAndPasteWorkOnTheFocusedBox) {
    form().focus = ui::MainFocus::txtInput;
    form().txtInput.text = "one two three";
    form().txtInput.selStart = 4;
    form().txtInput.selLength = 3;
    app::mnuCopy_Click(story.p());
    EXPECT_EQ(clipboard(), "two");
    EXPECT_EQ(form().txtInput.text, "one two three");

    form().focus = ui::MainFocus::txtSearch;
    form().txtSearch.text = "find ";
    form().txtSearch.selStart = 5;
    app::mnuPaste_Click(story.p());
    EXPECT_EQ(form().txtSearch.text, "find two");

    // Copying nothing leaves the clipboard empty; pasting it deletes the selection.
    form().txtSearch.selStart = 0;
    form().txtSearch.selLength = 0;
    app::mnuCopy_Click(story.p());
    EXPECT_EQ(clipboard(), "");
    form().txtSearch.selLength = 5;
    app::mnuPaste_Click(story.p());
    EXPECT_EQ(form().txtSearch.text, "two");
}

TEST_F(EditMenu, ClipboardCommandsLeaveOtherControlsAndTheClipboardAlone) {
    form().focus = ui::MainFocus::ComboFilter;
    form().txtInput.text = "text";
    form().txtInput.selLength = 4;
    clipboard() = "kept";
    Enabled e = open_menu();
    EXPECT_FALSE(e.cut);
    EXPECT_TRUE(e.paste);
    app::mnuCut_Click(story.p());
    app::mnuCopy_Click(story.p());
    app::mnuPaste_Click(story.p());
    EXPECT_EQ(clipboard(), "kept");
    EXPECT_EQ(form().txtInput.text, "text");
}

TEST_F(EditMenu, EmptyCutKeepsTheUndoOfTheLastEdit) {
    form().focus = ui::MainFocus::txtInput;
    form().txtInput.replaceSelection("typed");
    app::mnuCut_Click(story.p());  // nothing selected
    app::mnuUndo_Click(story.p());
    EXPECT_EQ(form().txtInput.text, "");
}

TEST(DeletedText, DoubleClickRevealsTheDeletedDocumentOnly) {
    ProgramStory story;
    ASSERT_TRUE(story.start());
    ui::FrmMain& form = story.main();
    const std::string first = "The first document about gardens and roses.";
    const std::string second = "The second document about rivers and boats.";
    for (const std::string& text : {first, second}) {
        form.txtInput.text = text;
        app::create_index(story.p());
    }
    browse::goto_record(story.p(), browse::kFirst);
    ASSERT_EQ(form.txtInput.text, first);
    browse::do_delete(story.p(), browse::kDeleteMode);
    browse::goto_record(story.p(), browse::kFirst);  // shown again: the notice
    ASSERT_EQ(form.LabelDelete.caption, "Deleted");
    const std::string notice = form.txtInput.text;
    ASSERT_NE(notice, first);

    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, first);
    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, first);
    EXPECT_EQ(form.deleted_text, first);

    browse::goto_record(story.p(), browse::kNext);
    ASSERT_EQ(form.txtInput.text, second);
    form.txtInput.text = "edited by the user";
    app::txtInput_DblClick(story.p());
    EXPECT_EQ(form.txtInput.text, "edited by the user");
}

}  // namespace
