// The file dialogs' extension rule and the Drawer Setup boxes' limits.
#include <gtest/gtest.h>

#include "ui/file_dialog.h"
#include "ui/frm_filter.h"

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

TEST(FrmFilter, DrawerNamesTakeSixCharactersAndRowsShowWhenLoaded) {
    ui::FrmFilter frm;
    for (int i = 1; i <= ui::kDrawers; ++i) {
        EXPECT_EQ(frm.txtFilter[i].maxLength, 6) << i;
        EXPECT_EQ(frm.txtFilter[i].visible, i == 1) << i;
    }
}

}  // namespace
