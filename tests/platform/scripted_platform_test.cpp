// The scripted platform that headless tests run the routines on.
#include "tests/support/scripted_platform.h"

#include <gtest/gtest.h>

namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testsupport::ScriptedPlatform;

TEST(ScriptedDialogs, AnswerFromTheQueuesThenWithTheDefaultButtonOrCancel) {
    ScriptedPlatform sp;
    sp.dialogs.answers = {Answer::No};
    platform::Dialogs& dialogs = sp.services.dialogs;
    EXPECT_EQ(dialogs.messageBox("Overwrite?", "Vellumark", Icon::Question, Buttons::YesNoCancel),
              Answer::No);
    EXPECT_EQ(dialogs.messageBox("Again?", "Vellumark", Icon::Question, Buttons::YesNoCancel),
              Answer::Yes);
    EXPECT_EQ(dialogs.messageBox("Note", "Vellumark", Icon::Exclamation, Buttons::Ok), Answer::Ok);
    ASSERT_EQ(sp.dialogs.boxes.size(), 3u);
    EXPECT_EQ(sp.dialogs.boxes[0].text, "Overwrite?");
    EXPECT_EQ(sp.dialogs.boxes[0].icon, Icon::Question);
    EXPECT_EQ(sp.dialogs.boxes[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(sp.dialogs.boxes[2].title, "Vellumark");
    EXPECT_EQ(sp.dialogs.boxes[2].answer, Answer::Ok);

    // Input boxes take queued text and otherwise cancel.
    sp.dialogs.inputs = {"12abc"};
    EXPECT_EQ(sp.services.dialogs.inputBox("Enter Font Size.", "Font Size", "11"), "12abc");
    EXPECT_EQ(sp.services.dialogs.inputBox("Please enter record number.", "Vellumark", ""), "");
    ASSERT_EQ(sp.dialogs.inputBoxes.size(), 2u);
    EXPECT_EQ(sp.dialogs.inputBoxes[0].proposed, "11");
    EXPECT_EQ(sp.dialogs.inputBoxes[1].prompt, "Please enter record number.");
    EXPECT_EQ(sp.dialogs.boxes.size(), 3u);
}

TEST(ScriptedDesktop, RecordsPointerStateAtEachBoxAndKeepsAFixedClockAndDateFormat) {
    ScriptedPlatform sp;
    sp.services.desktop.setBusy(true);
    sp.services.dialogs.messageBox("while busy", "t", Icon::Exclamation, Buttons::Ok);
    sp.services.desktop.setBusy(false);
    sp.services.dialogs.messageBox("after", "t", Icon::Exclamation, Buttons::Ok);
    sp.services.desktop.yieldOnce();
    sp.services.desktop.showHelp("/opt/vellumark.hlp");
    EXPECT_EQ(sp.desktop.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(sp.dialogs.boxes[0].busy);
    EXPECT_FALSE(sp.dialogs.boxes[1].busy);
    EXPECT_EQ(sp.desktop.yields, 1);
    EXPECT_EQ(sp.desktop.helpRequests, (std::vector<std::string>{"/opt/vellumark.hlp"}));

    // A fixed clock and a changeable date format.
    platform::Desktop& desktop = sp.services.desktop;
    EXPECT_EQ(desktop.shortDate(desktop.today()), "3/15/2024");
    sp.desktop.dateFormat = "DD.MM.YY";
    EXPECT_EQ(desktop.shortDate({2009, 1, 2}), "02.01.09");
    sp.desktop.dateFormat = "YYYY-MM-DD";
    EXPECT_EQ(desktop.shortDate({812, 11, 30}), "0812-11-30");
    EXPECT_EQ(desktop.shortDate({2023, 2, 29}), "");
}

TEST(TestPrinter, MeasuresByCharacterAndRecordsLinesAndPages) {
    ScriptedPlatform sp;
    platform::Printer& printer = sp.services.printer;
    printer.setFontSize(12);
    EXPECT_DOUBLE_EQ(printer.textWidth("hello "), 6 * 144);
    printer.setBold(true);
    printer.print(" ");
    printer.setBold(false);
    printer.setOrigin(-1080, -1080);
    printer.setPosition(0, 0);
    printer.print("hello ");
    EXPECT_DOUBLE_EQ(printer.currentX(), 864);
    printer.print("world");
    printer.endLine();
    EXPECT_DOUBLE_EQ(printer.currentX(), 0);
    EXPECT_DOUBLE_EQ(printer.currentY(), 288);
    printer.print("second");
    printer.newPage();
    printer.print("next page");
    printer.endDocument();

    EXPECT_EQ(sp.printer.documentsEnded, 1);
    EXPECT_DOUBLE_EQ(sp.printer.originLeft, -1080);
    EXPECT_EQ(sp.printer.pages(),
              (std::vector<std::vector<std::string>>{{" hello world", "second"}, {"next page"}}));
    ASSERT_EQ(sp.printer.printed.size(), 5u);
    EXPECT_TRUE(sp.printer.printed[0].bold);
    EXPECT_FALSE(sp.printer.printed[1].bold);
    EXPECT_DOUBLE_EQ(sp.printer.printed[2].x, 864);
    EXPECT_DOUBLE_EQ(sp.printer.printed[4].y, 0);
    EXPECT_EQ(sp.printer.printed[4].page, 1);
    EXPECT_TRUE(sp.printer.pages(1).empty());
}

TEST(TempFolder, IsFreshAndGoesAway) {
    std::string path;
    {
        testsupport::TempFolder a, b;
        path = a.path();
        EXPECT_NE(a.path(), b.path());
        EXPECT_EQ(path.back(), '/');
        ASSERT_TRUE(platform::LocalFileSystem().writeFile(a.file("x"), "1").ok);
    }
    EXPECT_FALSE(platform::LocalFileSystem().exists(path));
}

}  // namespace
