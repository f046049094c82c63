// Whole stories at the main window through its real widgets: typing,
// toolbar presses, the Enter key, shortcut keys and the summary list, read
// back from what the widgets show.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <tuple>

#include "qt/menu_bar_view.h"
#include "qt/toolbar_widgets.h"
#include "tests/qt/window_story.h"

namespace vmqt::test {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    QPlainTextEdit* input() { return story.widget<QPlainTextEdit>("txtInput"); }
    QLineEdit* search() { return story.widget<QLineEdit>("txtSearch"); }
    PictureButton* button(int index) {
        return story.widget<PictureButton>(QStringLiteral("pButton%1").arg(index).toUtf8());
    }

    // Types text into the empty text box and presses the Index button.
    void indexText(const QString& text) {
        QTest::mouseClick(button(6), Qt::LeftButton);  // Clear
        input()->setFocus();
        WindowStory::type(input(), text);
        QTest::mouseClick(button(1), Qt::LeftButton);
    }

    void searchFor(const QString& text) {
        search()->clear();
        search()->setFocus();
        WindowStory::type(search(), text);
        QTest::keyClick(search(), Qt::Key_Return);
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    WindowStory story;
};

TEST_F(MainWindowTest, StartsAsDesignedWithTheDrawersAndFocusInTheSearchBox) {
    EXPECT_EQ(story.main().windowTitle(), "Vellumark");
    EXPECT_EQ(story.shown("LabelRecNo"), "No");
    EXPECT_EQ(story.shown("LabelCount"), "Count");
    EXPECT_EQ(story.shown("LabelRecord"), "#Rec");
    EXPECT_EQ(story.widget<QLabel>("LabelRecord")->toolTip(), "Record ID numb er");
    EXPECT_EQ(story.widget<QWidget>("CheckTolerance")->toolTip(), "Allows one mis-match");
    EXPECT_EQ(button(0)->toolTip(), "Import (Clipboard)");
    EXPECT_EQ(button(6)->toolTip(), "Clear");
    auto* drawers = story.widget<QComboBox>("ComboFilter");
    EXPECT_EQ(drawers->count(), 12);
    EXPECT_EQ(drawers->currentText(), "NONE");
    EXPECT_FALSE(story.widget<QComboBox>("ComboSummary")->isVisible());
    const QFontMetrics searchFont(search()->font());  // fixed pitch, like Courier New
    EXPECT_EQ(searchFont.horizontalAdvance("iiiiii"), searchFont.horizontalAdvance("MMMMMM"));
    EXPECT_EQ(QApplication::focusWidget(), search());
}

TEST_F(MainWindowTest, TypedTextIsIndexedAndFoundWithEnter) {
    indexText("The quick brown fox jumps over the lazy dog");
    EXPECT_EQ(input()->toPlainText(), "Indexed");
    EXPECT_EQ(story.shown("LabelRecNo"), "1");
    EXPECT_EQ(story.shown("LabelCount"), "1");
    EXPECT_EQ(story.shown("LabelDelete"), "New");
    EXPECT_EQ(story.shown("LabelRecord"), "#1");

    searchFor("fox");
    EXPECT_EQ(search()->text(), "fox");  // Enter typed nothing
    EXPECT_EQ(input()->toPlainText(), "The quick brown fox jumps over the lazy dog");
    EXPECT_EQ(story.shown("LabelRecNo"), "1");
    EXPECT_EQ(story.shown("LabelCount"), "1");
    EXPECT_EQ(story.shown("LabelRecord").remove(' '), "#1");  // the document number as stored
    EXPECT_EQ(story.shown("LabelOptimized"), "Y");
    EXPECT_EQ(input()->palette().color(QPalette::Text), QColor(Qt::black));

    searchFor("unicorn");
    EXPECT_TRUE(input()->toPlainText().startsWith("NO RECORD FOUND."));
    EXPECT_EQ(input()->palette().color(QPalette::Text), QColor(192, 0, 0));
    EXPECT_EQ(story.shown("LabelCount"), "0");
}

TEST_F(MainWindowTest, LineBreaksAndAccentsReachTheStoreAndComeBack) {
    indexText(QString::fromUtf8("Crème brûlée\nfür 5 €"));
    EXPECT_EQ(story.form().highestDocumentNumber, 1);
    searchFor(QString::fromUtf8("brûlée"));
    EXPECT_EQ(input()->toPlainText(), QString::fromUtf8("Crème brûlée\nfür 5 €"));
    searchFor(QString::fromUtf8("FÜR"));
    EXPECT_EQ(story.shown("LabelCount"), "1");
}

class HitNavigationTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        indexText("alpha report one");
        indexText("beta report two");
        indexText("gamma report three");
        searchFor("report");
        ASSERT_EQ(story.shown("LabelCount"), "3");
    }
};

TEST_F(HitNavigationTest, FunctionKeysStepThroughTheHitsControlKeysWalkTheTable) {
    // Each key and what it leaves shown: position/count, record label, text.
    const Qt::KeyboardModifiers none = Qt::NoModifier, control = Qt::ControlModifier;
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*> steps[] = {
        {Qt::Key_F8, none, "3/3 #3 gamma report three"},
        {Qt::Key_F6, none, "2/3 #2 beta report two"},
        {Qt::Key_F5, none, "1/3 #1 alpha report one"},
        {Qt::Key_F7, none, "2/3 #2 beta report two"},
        {Qt::Key_F8, none, "3/3 #3 gamma report three"},
        {Qt::Key_F7, none, "3/3 #3 gamma report three"},  // past the end: a box, the view stays
        {Qt::Key_F5, control, "1/1 #1 alpha report one"},
        {Qt::Key_F8, control, "1/1 #3 gamma report three"},
        {Qt::Key_F6, control, "1/1 #2 beta report two"},
        {Qt::Key_F7, control, "1/1 #3 gamma report three"}};
    for (const auto& [key, modifiers, shown] : steps) {
        press(key, modifiers);
        EXPECT_EQ(story.shown("LabelRecNo") + "/" + story.shown("LabelCount") + " " +
                      story.shown("LabelRecord").remove(' ') + " " + input()->toPlainText(),
                  shown)
            << key;
    }
    ASSERT_EQ(story.scripted.dialogs.boxes.size(), 1u);
    EXPECT_EQ(story.scripted.dialogs.boxes[0].text, "End of records.");
}

TEST_F(HitNavigationTest, SummaryOpensFollowsShowNextAndCloses) {
    auto* summary = story.widget<QComboBox>("ComboSummary");
    QTest::mouseClick(story.widget<QPushButton>("CommandSummary"), Qt::LeftButton);
    ASSERT_TRUE(summary->isVisible());
    EXPECT_EQ(summary->count(), 4);
    EXPECT_EQ(summary->itemText(0), "[Close Summary]");
    EXPECT_EQ(summary->itemText(2), "beta report two");
    EXPECT_EQ(summary->currentIndex(), 1);
    EXPECT_GE(summary->geometry().top(), input()->geometry().top());
    EXPECT_LT(summary->geometry().bottom(), input()->geometry().bottom());
    EXPECT_TRUE(story.main().menuBarView()->action("mnuSummary")->isChecked());

    press(Qt::Key_F7);
    EXPECT_EQ(story.shown("LabelRecNo"), "2");
    EXPECT_EQ(summary->currentIndex(), 2);

    // Choosing a line in the list shows its document.
    summary->setFocus();
    QTest::keyClick(summary, Qt::Key_Down);
    EXPECT_EQ(story.shown("LabelRecNo"), "3");
    EXPECT_EQ(input()->toPlainText(), "gamma report three");

    // The first line closes the list.
    QTest::keyClick(summary, Qt::Key_Home);
    EXPECT_FALSE(summary->isVisible());
    EXPECT_FALSE(story.main().menuBarView()->action("mnuSummary")->isChecked());

    // F9 opens it again; the toolbar's Clear hides it.
    press(Qt::Key_F9);
    EXPECT_TRUE(summary->isVisible());
    QTest::mouseClick(button(6), Qt::LeftButton);
    EXPECT_FALSE(summary->isVisible());
    EXPECT_EQ(input()->toPlainText(), "");
}

TEST_F(MainWindowTest, DoubleClicksBringBackTheDeletedTextAndTheLastSearch) {
    indexText("alpha report one");
    searchFor("report");
    story.main().menuBarView()->action("mnuDelete")->trigger();
    press(Qt::Key_F5);
    EXPECT_TRUE(input()->toPlainText().startsWith("This record has been provisionally DELETED."));
    EXPECT_EQ(input()->palette().color(QPalette::Text), QColor(0, 0, 192));
    EXPECT_EQ(story.shown("LabelDelete"), "Deleted");
    QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
    EXPECT_EQ(input()->toPlainText(), "alpha report one");

    press(Qt::Key_F12);
    EXPECT_EQ(search()->text(), "");
    QTest::mouseDClick(search(), Qt::LeftButton);
    EXPECT_EQ(search()->text(), "report");
}

TEST_F(MainWindowTest, OptionsMenuShowsTheHeaderSizeAndShowErrorsItsCheckMark) {
    story.scripted.dialogs.inputs.push_back("30");
    story.main().menuBarView()->action("mnuHeadersize")->trigger();
    QMenu* options = story.main().menuBarView()->menu("mnuOptions");
    options->popup(story.main().geometry().center());
    EXPECT_EQ(story.main().menuBarView()->action("mnuHeadersize")->text(), "Header Size (30)");
    options->close();

    QAction* errors = story.main().menuBarView()->action("mnuErrors");
    EXPECT_FALSE(errors->isChecked());
    errors->trigger();
    EXPECT_TRUE(errors->isChecked());
    errors->trigger();
    EXPECT_FALSE(errors->isChecked());
}

TEST_F(MainWindowTest, ComingBackFromAnotherWindowPutsTheFocusInTheSearchBox) {
    input()->setFocus();
    story.main().menuBarView()->action("mnuOpen")->trigger();
    QWidget& dialog = story.windows->openDialog();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    story.main().activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &story.main(); }));
    EXPECT_EQ(QApplication::focusWidget(), search());
    EXPECT_EQ(story.form().focus, ui::MainFocus::txtSearch);
}

TEST(MainWindowBoxTest, AMessageBoxLeavesTheFocusWhereItWas) {
    WindowStory story(true);
    ASSERT_TRUE(story.start());
    auto* input = story.widget<QPlainTextEdit>("txtInput");
    input->setFocus();
    QString shown;
    clickWhenShown("OK", &shown);
    QTest::keyClick(input, Qt::Key_F7);  // nothing found yet: past the end
    EXPECT_EQ(shown, "End of records.");
    story.main().activateWindow();  // as the window system does when a box closes
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &story.main(); }));
    EXPECT_EQ(QApplication::focusWidget(), input);
    EXPECT_EQ(story.form().focus, ui::MainFocus::txtInput);
}

TEST_F(MainWindowTest, ClosingTheWindowShutsTheProgramDown) {
    ASSERT_NE(story.program->engine, nullptr);
    story.main().close();
    EXPECT_EQ(story.program->engine, nullptr);
    EXPECT_FALSE(story.main().isVisible());
}

TEST_F(MainWindowTest, ExitEndsTheProgramAndClosesTheWindow) {
    story.main().menuBarView()->action("mnuExit")->trigger();
    EXPECT_TRUE(story.program->ended);
    EXPECT_EQ(story.program->engine, nullptr);
    EXPECT_FALSE(story.main().isVisible());
}

}  // namespace
}  // namespace vmqt::test
