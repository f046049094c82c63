// Printing through QPrinter into a PDF file, read back with pdftotext: every
// word arrives, in order, over as many pages as the text needs.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>

#include "qt/qt_printer.h"
#include "qt/toolbar_widgets.h"
#include "tests/qt/window_story.h"

namespace vmqt::test {
namespace {

// The text of a PDF file, pages separated by form feeds, ligatures (fi, fl)
// as their letters; empty on failure.
QString pdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", path, "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC);
}

QStringList wordsOf(const QString& text) {
    return text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

TEST(PrintingTest, LongTextIsPrintedWordWrappedOverSeveralPages) {
    WindowStory story;
    ASSERT_TRUE(story.start());
    QStringList words;
    for (int i = 1; i <= 1200; ++i)
        words << QStringLiteral("word%1").arg(i, 4, 10, QChar('0'));
    words[10] = QString::fromUtf8("Café");
    QPlainTextEdit* input = story.widget<QPlainTextEdit>("txtInput");
    input->setPlainText(words.join(' '));

    QTest::mouseClick(story.widget<PictureButton>("pButton5"), Qt::LeftButton);
    EXPECT_TRUE(story.scripted.dialogs.boxes.empty());
    const QString printed = pdfText(QString::fromStdString(story.folder.file("printout.pdf")));
    ASSERT_FALSE(printed.isEmpty()) << "pdftotext (poppler-utils) read nothing";
    EXPECT_EQ(wordsOf(printed), words);
    EXPECT_GE(printed.count(QChar('\f')), 2);  // at least two pages
    EXPECT_GE(story.printer.pagesPrinted(), 2);

    // Lines stay inside the page: a margin on the right, none running off.
    const QStringList lines = printed.split('\n', Qt::SkipEmptyParts);
    for (const QString& line : lines)
        EXPECT_LE(wordsOf(line).size(), 12) << line.toStdString();
}

TEST(PrintingTest, LineBreaksInsideTheTextStartNewLines) {
    testsupport::TempFolder folder;
    const QString pdf = QString::fromStdString(folder.file("lines.pdf"));
    QtPrinter printer(pdf);
    ASSERT_TRUE(printer.available());
    printer.setFontSize(12);
    printer.setOrigin(1080, 1080);
    printer.print("first line\r\nsecond line");
    EXPECT_GT(printer.currentY(), 0);
    printer.endDocument();
    const QStringList lines = pdfText(pdf).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0].trimmed(), "first line");
    EXPECT_EQ(lines[1].trimmed(), "second line");
}

TEST(PrintingTest, NothingToPrintIsToldAndPrintsNothing) {
    WindowStory story;
    ASSERT_TRUE(story.start());
    QTest::mouseClick(story.widget<PictureButton>("pButton5"), Qt::LeftButton);
    ASSERT_EQ(story.scripted.dialogs.boxes.size(), 1u);
    EXPECT_EQ(story.scripted.dialogs.boxes[0].text, "There is no text to print.");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(story.folder.file("printout.pdf"))));
}

}  // namespace
}  // namespace vmqt::test
