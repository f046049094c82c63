// cp1252 <-> UTF-8 conversion, the UTF-8 test for text files, line ends.
#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8AndKnownCharactersMapBothWays) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    std::string utf8 = cp1252ToUtf8(all);
    EXPECT_TRUE(isUtf8WithNonAscii(utf8));
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    // The UTF-8 test needs well-formed text with non-ASCII characters.
    EXPECT_FALSE(isUtf8WithNonAscii(""));
    EXPECT_FALSE(isUtf8WithNonAscii("plain ascii\r\n"));
    EXPECT_TRUE(isUtf8WithNonAscii("na\xC3\xAFve"));
    EXPECT_FALSE(isUtf8WithNonAscii("na\xEFve"));          // the cp1252 spelling
    EXPECT_FALSE(isUtf8WithNonAscii("\xC3\xA9\xC3"));      // truncated
    EXPECT_FALSE(isUtf8WithNonAscii("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_TRUE(isUtf8WithNonAscii("\xF0\x9F\x98\x80"));
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");                    // euro sign
    EXPECT_EQ(cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");                  // e acute
    EXPECT_EQ(cp1252ToUtf8("\x93x\x94"), "\xE2\x80\x9Cx\xE2\x80\x9D");  // curly quotes
    EXPECT_EQ(cp1252ToUtf8("\x9F"), "\xC5\xB8");                        // Y diaeresis
    EXPECT_EQ(utf8ToCp1252("\xE2\x84\xA2"), "\x99");                    // trade mark sign
    EXPECT_EQ(utf8ToCp1252("\xC5\x93uvre"), "\x9Cuvre");
}

TEST(Cp1252, CharactersOutsideCp1252AndMalformedBytesBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a\xC4\x80z"), "a?z");        // U+0100
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!");  // an emoji
    EXPECT_EQ(utf8ToCp1252("\xC2\x85"), "?");            // C1 control NEL has no byte
    EXPECT_EQ(utf8ToCp1252("\xE9t\xE9"), "?t?");         // cp1252 bytes, not UTF-8
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");           // overlong '/'
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80"), "???");      // a surrogate
    EXPECT_EQ(utf8ToCp1252("ab\xE2\x82"), "ab??");       // cut short at the end
    EXPECT_EQ(utf8ToCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(LineEnds, ReadingGivesCrLfLeavingALoneCrAndWritingGivesLf) {
    EXPECT_EQ(toCrLf("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\rd\r\n");
    EXPECT_EQ(toCrLf("\n\n"), "\r\n\r\n");
    EXPECT_EQ(toCrLf("\r\r\n"), "\r\r\n");
    EXPECT_EQ(toCrLf(""), "");
    // Writing gives LF and round-trips.
    EXPECT_EQ(toLf("a\r\nb\rc\nd\r\n"), "a\nb\rc\nd\n");
    EXPECT_EQ(toLf("\r\r\n\r"), "\r\n\r");
    const std::string program = "one\r\ntwo\r\n\r\nthree";
    EXPECT_EQ(toCrLf(toLf(program)), program);
}

TEST(TextFiles, Utf8FilesAreDecodedAndOthersTakenAsCp1252) {
    EXPECT_EQ(textFromFile("caf\xC3\xA9\nna\xC3\xAFve\n"), "caf\xE9\r\nna\xEFve\r\n");
    EXPECT_EQ(textFromFile("caf\xE9\r\nend"), "caf\xE9\r\nend");
    EXPECT_EQ(textFromFile("\xE2\x82\xAC \xE2\x98\x83"), "\x80 ?");  // euro; a snowman
    EXPECT_EQ(textToFile("caf\xE9\r\n"), "caf\xE9\n");
    const std::string text = "line one\r\n\xC0 two\r\n";
    EXPECT_EQ(textFromFile(textToFile(text)), text);
}

}  // namespace
