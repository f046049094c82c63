// The main window's small commands and the search box's keys: Clear Screen
// and the last search string, Enter, double-click, Show Errors, the Header
// Size caption, About and Help.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window_routines.h"
#include "search/search_box.h"
#include "tests/program/search_documents.h"
#include "xbase/d4.h"

namespace {

using testsupport::SearchStory;

// Whether the engine shows its own error reports now (code4errOff returns
// the previous setting, which is put back).
bool engine_reports_errors(app::Program& p) {
    const short off = xbase::code4errOff(p.engine, 0);
    xbase::code4errOff(p.engine, off);
    return off == 0;
}

TEST(ClearScreen, EmptiesTheViewAndKeepsTheSearchStringForADoubleClick) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    testsupport::mark_deleted(story.p(), story.store("deleted budget"));
    story.search("  budget ");
    ui::FrmMain& form = story.main();
    ASSERT_EQ(form.LabelDelete.caption, "Deleted");

    // A double-click on a box that holds text leaves it alone.
    search::txtSearch_DblClick(story.p());
    EXPECT_EQ(form.txtSearch.text, "  budget ");

    form.focus = ui::MainFocus::txtInput;
    app::clear_screen(story.p());
    EXPECT_EQ(form.txtInput.text, "");
    EXPECT_EQ(form.txtSearch.text, "");
    EXPECT_EQ(form.focus, ui::MainFocus::txtSearch);
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    EXPECT_EQ(story.status(), "0|0|#0||");
    EXPECT_EQ(form.LabelOptimized.caption, "");
    EXPECT_FALSE(form.documentOnDisplay.has_value());
    EXPECT_EQ(form.deleted_text, "deleted budget");     // left alone
    EXPECT_EQ(app::trim_blanks(form.hitList[1]), "1");  // left alone

    form.txtSearch.text = "   ";
    search::txtSearch_DblClick(story.p());
    EXPECT_EQ(form.txtSearch.text, "budget");
}

TEST(SearchBox, EnterSearchesOnlyWhenTheBoxHoldsText) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    story.store("a budget line");
    ui::FrmMain& form = story.main();

    // A double-click before any Clear Screen brings back an empty string.
    search::txtSearch_DblClick(story.p());
    EXPECT_EQ(form.txtSearch.text, "");

    form.LabelCount.caption = "Count";
    form.txtSearch.text = "   ";
    search::txtSearch_Enter(story.p());
    EXPECT_TRUE(story.boxes().empty());
    EXPECT_EQ(form.LabelCount.caption, "Count");  // the search did not start

    form.txtSearch.text = "budget";
    search::txtSearch_Enter(story.p());
    EXPECT_EQ(form.LabelCount.caption, "1");
    EXPECT_EQ(form.txtInput.text, "a budget line");
}

TEST(MainWindowCommands, HeaderSizeCaptionAboutHelpAndShowErrors) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    app::Program& p = story.p();
    app::mnuOptions_Click(p);
    EXPECT_EQ(story.main().menu.mnuHeadersize.caption, "Header Size (25)");
    story.main().headerSize = 30;
    app::mnuOptions_Click(p);
    EXPECT_EQ(story.main().menu.mnuHeadersize.caption, "Header Size (30)");

    app::mnuAbout_Click(p);
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], "\r\nVellumark v2.1"));

    app::mnuHelp2_Click(p);
    EXPECT_EQ(story.platform.desktop.helpRequests,
              std::vector<std::string>{story.folder.file("vellumark.hlp")});

    // Show Errors toggles the check mark and the engine's reports.
    ui::MenuEntry& entry = story.main().menu.mnuErrors;
    EXPECT_FALSE(entry.checked);
    EXPECT_FALSE(engine_reports_errors(p));

    app::mnuErrors_Click(p);
    EXPECT_TRUE(entry.checked);
    EXPECT_TRUE(engine_reports_errors(p));
    app::mnuErrors_Click(p);
    EXPECT_FALSE(entry.checked);
    EXPECT_FALSE(engine_reports_errors(p));

    // A search switches the reports on and leaves the check mark.
    story.search("anything");
    EXPECT_TRUE(engine_reports_errors(p));
    EXPECT_FALSE(entry.checked);
}

}  // namespace
