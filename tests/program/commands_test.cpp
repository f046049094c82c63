// Command routing: the table covers the whole menu bar, shortcut keys and
// toolbar, and a command run through it reaches its routine with its constant.
#include <gtest/gtest.h>

#include <cctype>
#include <set>

#include "app/commands.h"
#include "tests/program/program_story.h"

namespace {

using testsupport::ProgramStory;

// Entries that only open their menu.
const std::set<std::string> kMenuOpeners = {"mnuFile", "mnuManagement", "mnuHelp"};

TEST(CommandTable, EveryMenuCommandIsMappedToARealEntry) {
    ui::MainMenu menu;
    for (const auto& node : menu.tree()) {
        if (node.entry == nullptr) continue;
        const std::string& name = node.entry->name;
        EXPECT_EQ(app::menu_command(name) == nullptr, kMenuOpeners.count(name) == 1) << name;
    }
    std::set<std::string_view> seen;
    for (const app::MenuCommand& command : app::menu_commands()) {
        EXPECT_NE(menu.find(command.menu), nullptr) << command.menu;
        EXPECT_NE(command.run, nullptr) << command.menu;
        EXPECT_TRUE(seen.insert(command.menu).second) << command.menu << " twice";
    }
    EXPECT_EQ(app::menu_command("mnuNothing"), nullptr);
}

TEST(CommandTable, ShortcutsRunTheirMenuEntriesAndEveryToolbarButtonHasItsCommand) {
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"Ctrl+F3", "mnuCreate"}, {"F4", "mnuSearch"},       {"F5", "mnuFirst"},
        {"F6", "mnuPrevious"},    {"F7", "mnuNext"},         {"F8", "mnuLast"},
        {"F9", "mnuSummary"},     {"Ctrl+F5", "mnuDBFirst"}, {"Ctrl+F6", "mnuDBPrior"},
        {"Ctrl+F7", "mnuDBNext"}, {"Ctrl+F8", "mnuDBLast"},  {"F12", "mnuClear"},
        {"Ctrl+Z", "mnuUndo"},    {"Ctrl+X", "mnuCut"},      {"Ctrl+C", "mnuCopy"},
        {"Ctrl+V", "mnuPaste"}};
    for (const auto& [key, menu] : keys) {
        ASSERT_NE(app::shortcut_command(key), nullptr) << key;
        EXPECT_EQ(app::shortcut_command(key), app::menu_command(menu)) << key;
    }
    // No other menu entry carries a shortcut key.
    std::size_t withShortcut = 0;
    const ui::MainMenu menu;
    for (const auto& node : menu.tree())
        withShortcut += node.entry != nullptr && !node.entry->shortcut.empty();
    EXPECT_EQ(withShortcut, keys.size());
    for (const char* key : {"", "F2", "Ctrl+F9", "F3"})
        EXPECT_EQ(app::shortcut_command(key), nullptr) << key;

    // Every toolbar button has its command.
    for (int i = 0; i < ui::kToolButtons; ++i)
        EXPECT_NE(app::toolbar_command(i), nullptr) << i;
    EXPECT_EQ(app::toolbar_command(-1), nullptr);
    EXPECT_EQ(app::toolbar_command(ui::kToolButtons), nullptr);
    EXPECT_EQ(app::toolbar_command(5), app::menu_command("mnuPrint"));
}

class Routing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(story.start());
        for (const char* text : {"Alpha document about the garden and its roses.",
                                 "Beta document about the garden and its trees.",
                                 "Gamma document about the river and its boats."})
            story.index(text);
    }

    void menu(std::string_view name) { app::menu_command(name)(story.p()); }
    void key(std::string_view name) { app::shortcut_command(name)(story.p()); }
    void press(int button) {
        app::pButton_MouseDown(story.p(), button);
        app::pButton_MouseUp(story.p());
    }

    ui::FrmMain& form() { return story.main(); }

    ProgramStory story;
};

TEST_F(Routing, NavigationAndDeleteCommandsReachTheirRoutinesWithTheirConstants) {
    // Each command (a key, a menu entry or a toolbar button), the position it
    // leaves and the first word of the document shown: record commands show a
    // document as 1 of 1, hit commands step through the three hits of "document".
    form().txtSearch.text = "document";
    // clang-format off
    const std::pair<std::string, std::string> steps[] = {
        {"Ctrl+F5", "1 Alpha"}, {"Ctrl+F7", "1 Beta"}, {"mnuDBLast", "1 Gamma"},
        {"mnuDBPrior", "1 Beta"}, {"F4", "1 Alpha"}, {"F8", "3 Gamma"}, {"3", "2 Beta"},
        {"F7", "3 Gamma"}, {"F6", "2 Beta"}, {"F5", "1 Alpha"}, {"4", "2 Beta"}, {"F8", "3 Gamma"}};
    // clang-format on
    for (const auto& [command, shown] : steps) {
        if (std::isdigit(static_cast<unsigned char>(command[0])))
            press(command[0] - '0');
        else if (command.starts_with("mnu"))
            menu(command);
        else
            key(command);
        const std::string& text = form().txtInput.text;
        EXPECT_EQ(form().LabelRecNo.caption + " " + text.substr(0, text.find(' ')), shown)
            << command;
    }
    EXPECT_TRUE(story.boxes().empty());
    key("F7");
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_EQ(story.boxes()[0].text, "End of records.");

    // Delete and Un-delete reach do_delete with their modes.
    key("Ctrl+F5");
    menu("mnuDelete");
    EXPECT_EQ(form().LabelDelete.caption, "Deleted");
    menu("mnuUndelete");
    EXPECT_EQ(form().LabelDelete.caption, "Restored");
}

TEST_F(Routing, ToolbarPressAndReleaseDrawTheFrameAroundTheCommand) {
    story.platform.clipboard.contents = "from the clipboard";
    form().pButton_MouseMove(0);
    form().ComboSummary.visible = true;
    form().txtInput.foreColour = ui::kNoticeColour;
    app::pButton_MouseDown(story.p(), 0);
    EXPECT_EQ(form().pBorder.picture, ui::FramePicture::Pressed);
    EXPECT_EQ(form().txtInput.text, "from the clipboard");
    EXPECT_EQ(form().txtInput.foreColour, ui::kBlack);
    EXPECT_FALSE(form().ComboSummary.visible);
    int yields = story.platform.desktop.yields;
    app::pButton_MouseUp(story.p());
    EXPECT_EQ(story.platform.desktop.yields, yields + 1);
    EXPECT_EQ(form().pBorder.picture, ui::FramePicture::Raised);
}

TEST_F(Routing, ClearIndexAndFindButtonsCloseTheSummaryTheClearMenuEntryDoesNot) {
    form().txtSearch.text = "garden";
    key("F4");
    key("F9");
    ASSERT_TRUE(form().ComboSummary.visible);
    key("F12");
    EXPECT_TRUE(form().ComboSummary.visible);
    EXPECT_EQ(form().LabelRecNo.caption, "0");
    EXPECT_EQ(form().txtInput.text, "");
    press(6);
    EXPECT_FALSE(form().ComboSummary.visible);
    EXPECT_TRUE(form().menu.mnuSummary.checked) << "the toolbar keeps the check mark";

    // Index and Find close it too, and blacken the text.
    form().txtSearch.text = "river";
    form().ComboSummary.visible = true;
    form().txtInput.foreColour = ui::kNoticeColour;
    press(2);
    EXPECT_FALSE(form().ComboSummary.visible);
    EXPECT_EQ(form().LabelCount.caption, "1");
    EXPECT_EQ(form().txtInput.text.substr(0, 5), "Gamma");

    form().ComboSummary.visible = true;
    form().txtInput.text = "Delta document about the mountain and its snow.";
    press(1);
    EXPECT_FALSE(form().ComboSummary.visible);
    EXPECT_EQ(form().highestDocumentNumber, 4);
}

}  // namespace
