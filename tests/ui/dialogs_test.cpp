// The file dialogs' extension rule and the Drawer Setup boxes' limits.
#include <gtest/gtest.h>

#include <utility>

#include "ui/file_dialog.h"
#include "ui/frm_filter.h"

namespace {

using ui::FileDialog;

TEST(FileDialog, ExtensionComesFromTheLastFiveCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"notes", ""},      {"notes.TXT", "txt"}, {"report.final", ""},  // no stop among "final"
        {"x.jpeg", "jpeg"}, {"a.b.c", "c"},       {"name.", ""},        {".txt", "txt"}, {"", ""}};
    for (const auto& [name, extension] : cases)
        EXPECT_EQ(FileDialog::extensionOf(name), extension) << name;
}

TEST(FrmFilter, DrawerNamesTakeSixCharactersAndRowsShowWhenLoaded) {
    ui::FrmFilter frm;
    for (int i = 1; i <= ui::kDrawers; ++i) {
        EXPECT_EQ(frm.txtFilter[i].maxLength, 6) << i;
        EXPECT_EQ(frm.txtFilter[i].visible, i == 1) << i;
    }
}

}  // namespace
