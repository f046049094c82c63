// The toolbar's hover and pressed frame under real mouse moves, any mouse
// button pressing a button, and the Edit menu: its enabled entries computed
// as it opens, its keys, and the text box's own undo of a run of typing.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include "qt/menu_bar_view.h"
#include "qt/toolbar_widgets.h"
#include "tests/qt/window_story.h"

namespace vmqt::test {
namespace {

class ToolbarTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    PictureButton* button(int index) {
        return story.widget<PictureButton>(QStringLiteral("pButton%1").arg(index).toUtf8());
    }
    HoverFrame* frame() { return story.widget<HoverFrame>("pBorder"); }
    // Where the frame must stand around a button: one pixel out on each side.
    QRect around(int index) { return button(index)->geometry().adjusted(-1, -1, 1, 1); }

    WindowStory story;
};

TEST_F(ToolbarTest, FrameFollowsTheMouseFromButtonToButton) {
    EXPECT_FALSE(frame()->isVisible());
    QTest::mouseMove(button(2), QPoint(16, 16));
    ASSERT_TRUE(frame()->isVisible());
    EXPECT_EQ(frame()->geometry(), around(2));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::Raised);

    QTest::mouseMove(button(4), QPoint(16, 16));
    EXPECT_EQ(frame()->geometry(), around(4));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::Raised);
    // The buttons lie in front of the frame: only its ring shows.
    EXPECT_EQ(frame()->parentWidget()->childAt(around(4).center()), button(4));
}

TEST_F(ToolbarTest, BackgroundAndToolbarFrameClearTheFrameOtherControlsKeepIt) {
    QWidget* frame1 = story.widget<QWidget>("Frame1");
    QTest::mouseMove(button(3), QPoint(16, 16));
    QTest::mouseMove(frame1, QPoint(frame1->width() - 6, frame1->height() / 2));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::None);
    EXPECT_TRUE(frame()->isVisible());
    EXPECT_EQ(frame()->geometry(), around(3));  // stays where it was

    QTest::mouseMove(button(1), QPoint(16, 16));
    QTest::mouseMove(story.widget<QCheckBox>("CheckTolerance"), QPoint(5, 5));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::Raised);

    QWidget* background = story.widget<QWidget>("background");
    QTest::mouseMove(background, QPoint(background->width() - 3, background->height() - 2));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::None);
}

TEST_F(ToolbarTest, AnyMouseButtonPressesAndTheFrameLooksPressedUntilRelease) {
    story.clipboard.setText("Text from the clipboard");
    QTest::mouseMove(button(0), QPoint(16, 16));
    QTest::mousePress(button(0), Qt::RightButton, {}, QPoint(16, 16));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::Pressed);
    EXPECT_EQ(story.widget<QPlainTextEdit>("txtInput")->toPlainText(), "Text from the clipboard");
    QTest::mouseRelease(button(0), Qt::RightButton, {}, QPoint(16, 16));
    EXPECT_EQ(frame()->picture(), ui::FramePicture::Raised);
}

class EditMenuTest : public ToolbarTest {
  protected:
    QPlainTextEdit* input() { return story.widget<QPlainTextEdit>("txtInput"); }
    QLineEdit* search() { return story.widget<QLineEdit>("txtSearch"); }
    QAction* entry(const char* name) { return story.main().menuBarView()->action(name); }

    // Opens the Edit menu with its access key and closes it again.
    void openEditMenu() {
        QTest::keyClick(&story.main(), Qt::Key_E, Qt::AltModifier);
        QMenu* menu = story.main().menuBarView()->menu("mnuEdit");
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        menu->close();
    }

    void expectEnabled(bool undo, bool cut, bool copy, bool paste) {
        EXPECT_EQ(entry("mnuUndo")->isEnabled(), undo);
        EXPECT_EQ(entry("mnuCut")->isEnabled(), cut);
        EXPECT_EQ(entry("mnuCopy")->isEnabled(), copy);
        EXPECT_EQ(entry("mnuPaste")->isEnabled(), paste);
    }
};

TEST_F(EditMenuTest, EntriesAreEnabledAsTheMenuOpens) {
    openEditMenu();
    expectEnabled(false, false, false, false);

    input()->setFocus();
    WindowStory::type(input(), "hello world");
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(input(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(story.form().txtInput.selectedText(), "world");
    // Nothing changes before the menu opens again.
    expectEnabled(false, false, false, false);
    openEditMenu();
    expectEnabled(true, true, true, false);

    QTest::keyClick(input(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(input()->toPlainText(), "hello ");
    EXPECT_EQ(story.clipboard.text(), "world");
    openEditMenu();
    expectEnabled(true, false, false, true);

    QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(input()->toPlainText(), "hello world");

    // Cut and Copy act on the box with the focus; Undo stays with the text box.
    search()->setFocus();
    WindowStory::type(search(), "needle");
    search()->selectAll();
    openEditMenu();
    expectEnabled(true, true, true, true);
    QTest::keyClick(search(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(search()->text(), "");
    EXPECT_EQ(story.clipboard.text(), "needle");
    QTest::keyClick(search(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(search()->text(), "needle");
}

TEST_F(EditMenuTest, UndoTakesBackARunOfTypingNotJustItsLastKey) {
    input()->setFocus();
    WindowStory::type(input(), "first");
    QTest::keyClick(input(), Qt::Key_Home);  // the caret moves: a new run begins
    WindowStory::type(input(), "the ");
    EXPECT_EQ(input()->toPlainText(), "the first");
    QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(input()->toPlainText(), "first");
    QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);  // a second undo redoes
    EXPECT_EQ(input()->toPlainText(), "the first");
}

}  // namespace
}  // namespace vmqt::test
