// The dialogs through their real widgets: a text file opened through
// frmOpen (and the dialog kept between uses), the text saved through
// frmSave, drawers named in frmFilter; and the Qt message and input boxes.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "qt/menu_bar_view.h"
#include "qt/qt_dialogs.h"
#include "tests/qt/window_story.h"

namespace vmqt::test {
namespace {

using testsupport::read_file;
using testsupport::write_file;

class FileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    void choose(const char* menu) { story.main().menuBarView()->action(menu)->trigger(); }
    template <typename W>
    W* in(QWidget& dialog, const char* name) {
        return dialog.findChild<W*>(name);
    }
    // Clicks the row of list that shows text (a directory row may be indented).
    void clickRow(QListWidget* list, const QString& text, bool press = false) {
        const QList<QListWidgetItem*> rows = list->findItems(text, Qt::MatchEndsWith);
        ASSERT_FALSE(rows.isEmpty()) << text.toStdString();
        const QPoint at = list->visualItemRect(rows.first()).center();
        if (press) {
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        }
    }
    void setName(QWidget& dialog, const QString& name) {
        QLineEdit* box = in<QLineEdit>(dialog, "Filenamebox");
        box->selectAll();
        WindowStory::type(box, name);
    }

    WindowStory story;
};

TEST_F(FileDialogTest, OpensATextFileChosenInTheListAndKeepsItsPlaceBetweenUses) {
    write_file(story.folder.file("story.txt"), "A letter from the file\nsecond line\n");
    std::filesystem::create_directory(story.folder.file("letters"));
    write_file(story.folder.file("letters/old.txt"), "An old letter");

    QWidget& dialog = story.windows->openDialog();
    choose("mnuOpen");
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Open File");
    EXPECT_EQ(in<QLabel>(dialog, "Dirname")->text(), QString::fromStdString(story.folder.path()));
    EXPECT_EQ(in<QComboBox>(dialog, "Typelist")->currentText(), "All Files (*.*)");
    EXPECT_GE(in<QComboBox>(dialog, "Drive1")->count(), 1);

    clickRow(in<QListWidget>(dialog, "File1"), "story.txt");
    EXPECT_EQ(in<QLineEdit>(dialog, "Filenamebox")->text(), "story.txt");
    QTest::mouseClick(in<QPushButton>(dialog, "Thebutton0"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(story.widget<QPlainTextEdit>("txtInput")->toPlainText(),
              "A letter from the file\nsecond line\n");
    EXPECT_EQ(story.form().txtInput.text, "A letter from the file\r\nsecond line\r\n");

    // Shown again as it was left; the directory list enters a folder.
    choose("mnuOpen");
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(in<QLineEdit>(dialog, "Filenamebox")->text(), "story.txt");
    clickRow(in<QListWidget>(dialog, "Dir1"), "letters", true);
    EXPECT_EQ(in<QLabel>(dialog, "Dirname")->text(),
              QString::fromStdString(story.folder.file("letters/")));
    ASSERT_EQ(in<QListWidget>(dialog, "File1")->count(), 1);
    clickRow(in<QListWidget>(dialog, "File1"), "old.txt");
    QTest::keyClick(in<QLineEdit>(dialog, "Filenamebox"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(story.widget<QPlainTextEdit>("txtInput")->toPlainText(), "An old letter");
}

TEST_F(FileDialogTest, AMissingFileIsReportedAndPictureNamesHideCancel) {
    QWidget& dialog = story.windows->openDialog();
    choose("mnuOpen");
    setName(dialog, "missing.txt");
    QTest::mouseClick(in<QPushButton>(dialog, "Thebutton0"), Qt::LeftButton);
    ASSERT_EQ(story.scripted.dialogs.boxes.size(), 1u);
    EXPECT_EQ(story.scripted.dialogs.boxes[0].text,
              "No such file or directory.  (File " + story.folder.file("missing.txt") + ")");
    EXPECT_TRUE(dialog.isVisible());

    setName(dialog, "holiday.png");
    EXPECT_FALSE(in<QPushButton>(dialog, "Thebutton1")->isVisible());
    setName(dialog, "holiday.txt");
    EXPECT_TRUE(in<QPushButton>(dialog, "Thebutton1")->isVisible());

    QTest::keyClick(&dialog, Qt::Key_Escape);  // as Cancel
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(story.program->frmOpen.visible);
}

TEST_F(FileDialogTest, SaveAsWritesTheTextWithTheTextFilesExtension) {
    QPlainTextEdit* input = story.widget<QPlainTextEdit>("txtInput");
    input->setFocus();
    WindowStory::type(input, "Notes to keep\nfor later");
    QWidget& dialog = story.windows->saveDialog();
    choose("mnuSave");
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Save As");
    QComboBox* types = in<QComboBox>(dialog, "Typelist");
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);  // Text Files (*.txt)
    setName(dialog, "notes");
    QTest::mouseClick(in<QPushButton>(dialog, "Thebutton0"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(read_file(story.folder.file("notes.txt")), "Notes to keep\nfor later\n");
    EXPECT_EQ(in<QLineEdit>(dialog, "Filenamebox")->text(),
              QString::fromStdString(story.folder.file("notes.txt")));
}

TEST_F(FileDialogTest, DrawerSetupNamesTheDrawersOfTheDrawerBox) {
    choose("mnuSetupFolders");
    QWidget& dialog = story.windows->filterDialog();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Drawer Setup");
    EXPECT_EQ(in<QLabel>(dialog, "LabelFilter12")->text(), "Drawer 12");
    QLineEdit* first = in<QLineEdit>(dialog, "txtFilter1");
    EXPECT_EQ(first->text(), "NONE");
    EXPECT_TRUE(in<QPlainTextEdit>(dialog, "Text1")->toPlainText().startsWith("Folders allow"));

    first->selectAll();
    WindowStory::type(first, "Letters1999");  // the box takes six characters
    EXPECT_EQ(first->text(), "Letter");
    QTest::mouseClick(in<QPushButton>(dialog, "buttonOK2"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    QComboBox* drawers = story.widget<QComboBox>("ComboFilter");
    EXPECT_EQ(drawers->itemText(0), "Letter");
    EXPECT_EQ(drawers->currentText(), "Letter");
    EXPECT_NE(read_file(story.folder.file("vellumark.ini")).find("Drawer 1=Letter"),
              std::string::npos);
}

TEST(QtDialogsTest, BoxesShowTheirTextAndAnswerWithTheButtonPressed) {
    QtDialogs dialogs;
    QString shown;
    clickWhenShown("No", &shown);
    EXPECT_EQ(dialogs.messageBox("Overwrite \x93notes\x94?\r\nSure?", "Vellumark",
                                 platform::Icon::Question, platform::Buttons::YesNoCancel),
              platform::Answer::No);
    EXPECT_EQ(shown, QString::fromUtf8("Overwrite “notes”?\nSure?"));

    clickWhenShown("OK");
    EXPECT_EQ(dialogs.messageBox("Done.", "Vellumark", platform::Icon::Exclamation,
                                 platform::Buttons::Ok),
              platform::Answer::Ok);

    // The input box proposes a value; Cancel gives nothing.
    clickWhenShown("OK");
    EXPECT_EQ(dialogs.inputBox("Enter Font Size.", "Font Size", "11"), "11");
    clickWhenShown("Cancel");
    EXPECT_EQ(dialogs.inputBox("Enter Font Size.", "Font Size", "11"), "");
}

}  // namespace
}  // namespace vmqt::test
