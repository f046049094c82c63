// The conversions at the edge of the Qt layer: cp1252 with CR LF inside,
// Unicode with LF in the widgets, and offsets across the two.
#include <gtest/gtest.h>

#include "qt/text_edge.h"

namespace vmqt {
namespace {

TEST(TextEdgeTest, Cp1252AndLineBreaksRoundTripOtherCharactersBecomeQuestionMarks) {
    const std::string stored = "Caf\xE9 \x80 5\r\n\x93quoted\x94\r\n";
    const QString shown = toQt(stored);
    EXPECT_EQ(shown, QString::fromUtf8("Café € 5\n“quoted”\n"));
    EXPECT_EQ(fromQt(shown), stored);
    // Characters outside cp1252 become question marks.
    EXPECT_EQ(fromQt(QString::fromUtf8("Ωmega 😀!")), "?mega ?!");
}

TEST(TextEdgeTest, OffsetsCountLineBreaksTwiceAndSurrogatePairsOnce) {
    const QString shown = QString::fromUtf8("ab\ncd😀e");
    // a b \r \n c d ? e  in the program's text
    EXPECT_EQ(toStateOffset(shown, 2), 2);
    EXPECT_EQ(toStateOffset(shown, 3), 4);
    EXPECT_EQ(toStateOffset(shown, 7), 7);  // after the pair
    EXPECT_EQ(toStateOffset(shown, 99), 8);
    EXPECT_EQ(toWidgetOffset(shown, 4), 3);
    EXPECT_EQ(toWidgetOffset(shown, 3), 2);  // between CR and LF: before the break
    EXPECT_EQ(toWidgetOffset(shown, 7), 7);
    EXPECT_EQ(toWidgetOffset(shown, 99), shown.size());
    for (int i = 0; i <= shown.size(); ++i) {
        if (i == 6) continue;  // inside the pair
        EXPECT_EQ(toWidgetOffset(shown, toStateOffset(shown, i)), i);
    }
}

TEST(TextEdgeTest, TwipsArePixelsOfFifteen) {
    EXPECT_EQ(toPixels(480), 32);
    EXPECT_EQ(toPixels(ui::Rect{120, 168, 480, 510}), QRect(8, 11, 32, 34));
}

}  // namespace
}  // namespace vmqt
