// Text box selection, editing and undo; list and combo box selection.
#include "ui/controls.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBox, SelectionIsClampedToTheText) {
    ui::TextBox box;
    box.text = "hello world";
    box.selStart = 6;
    box.selLength = 5;
    EXPECT_EQ(box.selectedText(), "world");
    box.selLength = 99;
    EXPECT_EQ(box.selectedText(), "world");
    box.selStart = 50;
    EXPECT_EQ(box.selectedText(), "");
    box.selStart = -3;
    box.selLength = 2;
    EXPECT_EQ(box.selectedText(), "he");
}

TEST(TextBox, ReplacingTheSelectionIsOneUndoableEditWithinTheMaximumLength) {
    ui::TextBox box;
    box.text = "cat dog";
    EXPECT_FALSE(box.canUndo());
    box.selStart = 4;
    box.selLength = 3;
    box.replaceSelection("bird");
    EXPECT_EQ(box.text, "cat bird");
    EXPECT_EQ(box.selStart, 8);
    EXPECT_EQ(box.selLength, 0);
    ASSERT_TRUE(box.canUndo());
    box.undoLastEdit();
    EXPECT_EQ(box.text, "cat dog");
    box.undoLastEdit();  // a second undo redoes, as the edit control does
    EXPECT_EQ(box.text, "cat bird");
    box.text = "set by a routine";  // the undo step no longer fits the text
    EXPECT_FALSE(box.canUndo());
    box.undoLastEdit();
    EXPECT_EQ(box.text, "set by a routine");

    // Edits keep to the maximum length.
    box.maxLength = 6;
    box.text = "abc";
    box.selStart = 3;
    box.replaceSelection("defghi");
    EXPECT_EQ(box.text, "abcdef");
    box.selStart = 0;
    box.selLength = 6;
    box.replaceSelection("");
    EXPECT_EQ(box.text, "");
}

TEST(ComboBox, SelectShowsTheItemAndIgnoresBadIndexes) {
    ui::ComboBox combo;
    combo.editable = true;
    combo.addItem("NONE");
    combo.addItem("Mail");
    combo.select(1);
    EXPECT_EQ(combo.text, "Mail");
    EXPECT_EQ(combo.selectedItem(), "Mail");
    combo.text = "typed";  // typing leaves the selection
    combo.select(2);
    EXPECT_EQ(combo.text, "typed");
    EXPECT_EQ(combo.listIndex, 1);
    combo.clear();
    EXPECT_TRUE(combo.items.empty());
    EXPECT_EQ(combo.listIndex, -1);
    EXPECT_EQ(combo.selectedItem(), "");
}

}  // namespace
