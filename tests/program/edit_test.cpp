// Edit command stories: the Edit menu's enabling when it opens, Undo, Cut,
// Copy and Paste on the focused text box. (The double-click that reveals a
// deleted document's text is part of the delete stories.)
#include <gtest/gtest.h>

#include "index/edit_commands.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

class EditMenu : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    // Opens the Edit menu and reads which entries are enabled: "UXCV" for
    // Undo, Cut, Copy and Paste, each disabled one shown as '-'.
    std::string open_menu() {
        app::mnuEdit_Click(story.p());
        const ui::MainMenu& menu = story.main().menu;
        std::string enabled = "UXCV";
        const bool on[] = {menu.mnuUndo.enabled, menu.mnuCut.enabled, menu.mnuCopy.enabled,
                           menu.mnuPaste.enabled};
        for (int i = 0; i < 4; ++i)
            if (!on[i]) enabled[static_cast<std::size_t>(i)] = '-';
        return enabled;
    }

    ui::FrmMain& form() { return story.main(); }
    std::string& clipboard() { return story.platform.clipboard.contents; }

    ProgramStory story;
};

TEST_F(EditMenu, NothingToActOnDisablesEverythingASelectionEnablesCutWhichRemovesIt) {
    EXPECT_EQ(open_menu(), "----");  // an empty clipboard, or one holding only a picture
    form().focus = ui::MainFocus::txtSearch;
    form().txtSearch.text = "apple pie";
    form().txtSearch.selStart = 0;
    form().txtSearch.selLength = 6;
    EXPECT_EQ(open_menu(), "-XC-");

    app::mnuCut_Click(story.p());
    EXPECT_EQ(form().txtSearch.text, "pie");
    EXPECT_EQ(clipboard(), "apple ");
    EXPECT_EQ(open_menu(), "---V") << "Undo is offered for txtInput only";
}

TEST_F(EditMenu, UndoServesTheTextBoxWhereverTheFocusIsAndOutlivesAnEmptyCut) {
    form().focus = ui::MainFocus::txtInput;
    form().txtInput.text = "draft";
    form().txtInput.selStart = 5;
    form().txtInput.replaceSelection(" two");  // typed
    app::mnuCut_Click(story.p());              // nothing selected
    form().focus = ui::MainFocus::txtSearch;
    EXPECT_EQ(open_menu()[0], 'U');
    app::mnuUndo_Click(story.p());
    EXPECT_EQ(form().txtInput.text, "draft");

    form().txtInput.text = "set by a routine";  // no edit to undo any more
    EXPECT_EQ(open_menu()[0], '-');
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
    EXPECT_EQ(open_menu(), "---V");
    app::mnuCut_Click(story.p());
    app::mnuCopy_Click(story.p());
    app::mnuPaste_Click(story.p());
    EXPECT_EQ(clipboard(), "kept");
    EXPECT_EQ(form().txtInput.text, "text");
}

}  // namespace
