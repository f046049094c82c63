// The main window's designed state: menu tree, toolbar, hover frame, status line.
#include "ui/frm_main.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using ui::FramePicture;
using ui::FrmMain;

TEST(MainMenu, EveryEntryHasAUniqueNameAndIsReachableByIt) {
    FrmMain frm;
    std::set<std::string> names;
    int entries = 0;
    for (auto node : frm.menu.tree()) {
        if (!node.entry) continue;
        ++entries;
        EXPECT_EQ(node.entry->name.rfind("mnu", 0), 0u) << node.entry->name;
        EXPECT_TRUE(names.insert(node.entry->name).second) << node.entry->name;
        EXPECT_EQ(frm.menu.find(node.entry->name), node.entry);
        EXPECT_TRUE(node.entry->enabled && node.entry->visible && !node.entry->checked);
    }
    EXPECT_EQ(entries, 36);
    EXPECT_EQ(frm.menu.find("mnuNothing"), nullptr);
}

TEST(MainMenu, ShortcutKeysAreUniqueAndWhereTheCommandsExpectThem) {
    FrmMain frm;
    std::vector<std::string> withShortcut;
    std::set<std::string> keys;
    for (auto node : frm.menu.tree()) {
        if (!node.entry || node.entry->shortcut.empty()) continue;
        EXPECT_TRUE(keys.insert(node.entry->shortcut).second) << node.entry->shortcut;
        withShortcut.push_back(node.entry->name + " " + node.entry->shortcut);
    }
    EXPECT_EQ(withShortcut,
              (std::vector<std::string>{
                  "mnuCreate Ctrl+F3", "mnuSearch F4", "mnuFirst F5", "mnuPrevious F6",
                  "mnuNext F7", "mnuLast F8", "mnuSummary F9", "mnuDBFirst Ctrl+F5",
                  "mnuDBNext Ctrl+F7", "mnuDBPrior Ctrl+F6", "mnuDBLast Ctrl+F8", "mnuClear F12",
                  "mnuUndo Ctrl+Z", "mnuCut Ctrl+X", "mnuCopy Ctrl+C", "mnuPaste Ctrl+V"}));
}

TEST(MainMenu, TreeOrderLevelsAndSeparators) {
    const FrmMain frm;
    std::vector<std::string> topLevel, submenu;
    std::string file;
    bool inFile = false;
    for (auto node : frm.menu.tree()) {
        if (node.level == 0) {
            topLevel.push_back(node.entry->caption);
            inFile = node.entry->name == "mnuFile";
        } else if (node.level == 2) {
            submenu.push_back(node.entry->name);
        }
        if (inFile && node.level > 0) file += node.entry ? node.entry->caption + "|" : "-|";
    }
    EXPECT_EQ(topLevel, (std::vector<std::string>{"&File", "&Edit", "&Options", "&Help"}));
    EXPECT_EQ(submenu, (std::vector<std::string>{"mnuShowParticular", "mnuDBFirst", "mnuDBNext",
                                                 "mnuDBPrior", "mnuDBLast"}));
    EXPECT_EQ(file,
              "Open Text File|-|Create &Index|-|Run &Search|Show First|Show P&revious|Show "
              "&Next|Show Last|Summary|-|Database Management|Specific Record|First "
              "Record|NextRecord|Prior Record|Last Record|-|&Save &As|-|&Print|-|&Delete "
              "Record|Un-Delete Record|-|Pac&k Database|-|&Clear Screen|-|E&xit|");
}

TEST(FrmMainDesign, StatusLineOptionsAndSharedStateStartAsDesigned) {
    FrmMain frm;
    EXPECT_EQ(frm.caption, "Vellumark");
    EXPECT_EQ(frm.LabelRecNo.caption, "No");
    EXPECT_EQ(frm.LabelCount.caption, "Count");
    EXPECT_EQ(frm.LabelRecord.caption, "#Rec");
    EXPECT_EQ(frm.LabelRecord.toolTip, "Record ID numb er");
    EXPECT_EQ(frm.LabelDate.caption, "Date");
    EXPECT_EQ(frm.LabelDelete.caption, "");
    EXPECT_EQ(frm.LabelOptimized.toolTip, "Y=Optimized");
    EXPECT_EQ(frm.CheckTolerance.caption, "HighTolerance");
    EXPECT_EQ(frm.CheckTopOnly.caption, "Search Header Only");
    EXPECT_FALSE(frm.CheckTolerance.checked || frm.CheckTopOnly.checked);
    EXPECT_TRUE(frm.ComboFilter.editable);
    EXPECT_TRUE(frm.ComboFilter.items.empty());
    EXPECT_FALSE(frm.ComboSummary.visible);
    EXPECT_EQ(frm.ComboSummary.backColour, ui::kLightGrey);
    EXPECT_EQ(frm.txtSearch.font.name, "Courier New");
    EXPECT_TRUE(frm.txtInput.multiLine);
    EXPECT_FALSE(frm.txtSearch.multiLine);
    for (int top : {frm.LabelCount.rect.top, frm.LabelDelete.rect.top, frm.LabelRecord.rect.top,
                    frm.LabelDate.rect.top, frm.LabelOptimized.rect.top}) {
        EXPECT_EQ(top, frm.LabelRecNo.rect.top);
    }
    EXPECT_EQ(frm.focus, ui::MainFocus::txtSearch);
    EXPECT_EQ(frm.headerSize, 25);
    EXPECT_FALSE(frm.documentOnDisplay.has_value());
    EXPECT_EQ(frm.hitList.size(), 101u);
    EXPECT_EQ(frm.keywordList.size(), 21u);
    EXPECT_EQ(frm.titleText, "Vellumark v2.1");
    EXPECT_EQ(ui::kNoticeColour, (ui::Rgb{0, 0, 192}));
    EXPECT_EQ(ui::kMessageColour, (ui::Rgb{192, 0, 0}));
}

TEST(FrmMainDesign, ActiveTextBoxFollowsTheFocus) {
    FrmMain frm;
    EXPECT_EQ(frm.activeTextBox(), &frm.txtSearch);
    frm.focus = ui::MainFocus::txtInput;
    EXPECT_EQ(frm.activeTextBox(), &frm.txtInput);
    frm.focus = ui::MainFocus::CheckTopOnly;
    EXPECT_EQ(frm.activeTextBox(), nullptr);
}

TEST(Toolbar, SevenButtonsInARowWithTheirWordsAndTooltips) {
    FrmMain frm;
    const char* words[] = {"Paste", "Index", "Find", "Prior", "Next", "Print", "Clear"};
    const char* tips[] = {"Import (Clipboard)", "Create Index", "Search", "Show Previous",
                          "Show Next",          "Print",        "Clear"};
    for (int i = 0; i < ui::kToolButtons; ++i) {
        EXPECT_EQ(frm.pButton[i].word, words[i]);
        EXPECT_EQ(frm.pButton[i].toolTip, tips[i]);
        EXPECT_EQ(frm.pButton[i].rect, (ui::Rect{120 + 600 * i, 168, 480, 480}));
    }
    EXPECT_FALSE(frm.pBorder.visible);
    EXPECT_EQ(frm.pBorder.rect.width, 510);
    EXPECT_EQ(frm.pBorder.picture, FramePicture::None);
}

TEST(Toolbar, HoverFrameFollowsTheMouse) {
    FrmMain frm;
    frm.pButton_MouseMove(3);
    EXPECT_TRUE(frm.pBorder.visible);
    EXPECT_EQ(frm.pBorder.button, 3);
    EXPECT_EQ(frm.pBorder.rect, (ui::Rect{1905, 153, 510, 510}));
    EXPECT_EQ(frm.pBorder.picture, FramePicture::Raised);

    frm.pButton_MouseDown();
    EXPECT_EQ(frm.pBorder.picture, FramePicture::Pressed);
    frm.pButton_MouseUp();
    EXPECT_EQ(frm.pBorder.picture, FramePicture::Raised);

    frm.pButton_MouseMove(4);  // straight onto the next button
    EXPECT_EQ(frm.pBorder.rect.left, 2505);
    EXPECT_EQ(frm.pBorder.button, 4);

    frm.background_MouseMove();  // the picture goes, the frame stays where it is
    EXPECT_EQ(frm.pBorder.picture, FramePicture::None);
    EXPECT_TRUE(frm.pBorder.visible);
    EXPECT_EQ(frm.pBorder.rect.left, 2505);

    frm.pButton_MouseMove(7);
    frm.pButton_MouseMove(-1);
    EXPECT_EQ(frm.pBorder.button, 4);
    EXPECT_EQ(frm.pBorder.picture, FramePicture::None);
}

}  // namespace
