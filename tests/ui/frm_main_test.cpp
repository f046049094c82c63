// The main window's state logic: the menu tree's names, the text box that
// follows the focus, and the toolbar's hover frame.
#include "ui/frm_main.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using ui::FramePicture;
using ui::FrmMain;

TEST(FrmMainDesign, MenuEntriesHaveUniqueNamesAndTheActiveTextBoxFollowsTheFocus) {
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
    // The active text box follows the focus.
    EXPECT_EQ(frm.activeTextBox(), &frm.txtSearch);
    frm.focus = ui::MainFocus::txtInput;
    EXPECT_EQ(frm.activeTextBox(), &frm.txtInput);
    frm.focus = ui::MainFocus::CheckTopOnly;
    EXPECT_EQ(frm.activeTextBox(), nullptr);
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
