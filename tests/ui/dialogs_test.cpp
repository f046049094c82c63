// The Open File, Save As and Drawer Setup dialogs as designed.
#include <gtest/gtest.h>

#include "ui/frm_filter.h"
#include "ui/frm_open.h"
#include "ui/frm_save.h"

namespace {

using ui::FileDialog;

TEST(FileDialog, ExtensionComesFromTheLastFiveCharacters) {
    EXPECT_EQ(FileDialog::extensionOf("notes"), "");
    EXPECT_EQ(FileDialog::extensionOf("notes.TXT"), "txt");
    EXPECT_EQ(FileDialog::extensionOf("report.final"), "");  // no stop among "final"
    EXPECT_EQ(FileDialog::extensionOf("x.jpeg"), "jpeg");
    EXPECT_EQ(FileDialog::extensionOf("a.b.c"), "c");
    EXPECT_EQ(FileDialog::extensionOf("name."), "");
    EXPECT_EQ(FileDialog::extensionOf(".txt"), "txt");
    EXPECT_EQ(FileDialog::extensionOf(""), "");
}

TEST(FileDialog, PictureNamesHideCancelAndOtherNamesShowIt) {
    ui::FrmOpen open;
    EXPECT_EQ(open.caption, "Open File");
    EXPECT_EQ(open.Thebutton[0].caption, "OK");
    EXPECT_EQ(open.Thebutton[1].caption, "Cancel");
    open.Filenamebox.text = "holiday.JPG";
    open.pictureNameCheck();
    EXPECT_FALSE(open.Thebutton[1].visible);
    EXPECT_TRUE(open.Thebutton[0].visible);
    open.Filenamebox.text = "holiday.txt";
    open.pictureNameCheck();
    EXPECT_TRUE(open.Thebutton[1].visible);

    ui::FrmSave save;
    EXPECT_EQ(save.caption, "Save As");
    EXPECT_EQ(save.File1.pattern, "*.*");
    EXPECT_FALSE(save.loaded || save.visible);
}

TEST(FrmFilter, TwelveRowsOfSixCharacterBoxes) {
    ui::FrmFilter frm;
    EXPECT_EQ(frm.caption, "Drawer Setup");
    for (int i = 1; i <= ui::kDrawers; ++i) {
        EXPECT_EQ(frm.LabelFilter[i].caption, "Drawer " + std::to_string(i));
        EXPECT_EQ(frm.txtFilter[i].maxLength, 6);
        EXPECT_EQ(frm.txtFilter[i].font.name, "Courier New");
        EXPECT_EQ(frm.txtFilter[i].visible, i == 1);  // rows 2 to 12 show when loaded
        EXPECT_EQ(frm.LabelFilter[i].rect.top, frm.txtFilter[i].rect.top + 60);
        if (i > 1) {
            const ui::Rect& above = frm.txtFilter[i - 1].rect;
            EXPECT_EQ(frm.txtFilter[i].rect.top, above.top + above.height + 30);
        }
    }
    EXPECT_EQ(frm.buttonOK[1].caption, "Close");
    EXPECT_EQ(frm.buttonOK[2].caption, "OK");
}

TEST(FrmFilter, HelpTextHasItsThreeParagraphs) {
    std::string_view help = ui::kDrawerHelpText;
    EXPECT_EQ(help.substr(0, 62), "Folders allow you to separate documents into specific areas.  ");
    EXPECT_NE(help.find("use folders. \r\n\r\nYou can specify 12 drawer names."),
              std::string_view::npos);
    EXPECT_NE(help.find("December 1999 etc.  \r\n\r\nThe drawer named 'NONE'"),
              std::string_view::npos);
    EXPECT_TRUE(help.ends_with("equivalent to a un-named drawer."));
}

}  // namespace
