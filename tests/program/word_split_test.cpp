// Create Index's word filter and token split without tables: which tokens
// become which keys at which positions, and where the progress bar moves.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "index/word_filter.h"
#include "index/word_split.h"

namespace {

constexpr std::size_t kKeyWidth = 10;

std::optional<std::string> key_of(const std::string& token) {
    return app::key_of_word(app::strip_token(token), kKeyWidth);
}

std::vector<std::pair<std::string, int>> keys_of(const std::vector<app::WordStep>& steps) {
    std::vector<std::pair<std::string, int>> keys;
    for (const app::WordStep& step : steps) {
        if (const auto* key = std::get_if<app::KeyStep>(&step))
            keys.emplace_back(key->key, key->position);
    }
    return keys;
}

std::vector<int> bar_widths(const std::vector<app::WordStep>& steps) {
    std::vector<int> widths;
    for (const app::WordStep& step : steps) {
        if (const auto* bar = std::get_if<app::BarStep>(&step)) widths.push_back(bar->width);
    }
    return widths;
}

std::vector<app::WordStep> split(const std::string& text, bool markerMode) {
    return app::split_words(app::working_text(text), markerMode, kKeyWidth);
}

TEST(WordFilter, PunctuationIsStrippedAtBothEnds) {
    EXPECT_EQ(key_of("(Hello),"), "Hello ");
    EXPECT_EQ(key_of("end.)))"), "end. ");  // at most three closing characters
    EXPECT_EQ(key_of("\"word\","), "word ");
    EXPECT_EQ(key_of("\xBFQu\xE9?"), "Qu\xE9 ");
    EXPECT_EQ(key_of("(a"), "a ");
    EXPECT_EQ(key_of("((ab"), "ab ");
    EXPECT_EQ(key_of("(((ab"), "(ab ");  // at most two opening characters
}

TEST(WordFilter, TokensOfPunctuationAloneStoreNothing) {
    for (const char* token : {"\xA1", "\xBF", "!", "...", "'", "((", "((a", "(", "&", "#", "-"})
        EXPECT_EQ(key_of(token), std::nullopt) << token;
}

TEST(WordFilter, KeepTestTakesLettersDigitsAndLongerWords) {
    EXPECT_EQ(key_of("x"), "x ");
    EXPECT_EQ(key_of("7"), "7 ");
    EXPECT_EQ(key_of("\xE9"), "\xE9 ");  // every code from 128 up counts as a letter
    EXPECT_EQ(key_of("--"), "-- ");
    EXPECT_EQ(key_of("@"), std::nullopt);  // 64 is the last code below the letters
    EXPECT_EQ(key_of("A"), "A ");
    // Two opening characters removed: the code tested is the second one's.
    EXPECT_EQ(key_of("('x"), std::nullopt);
    EXPECT_EQ(key_of("('xy"), "xy ");
}

TEST(WordFilter, ApostrophesBecomeBlanksAndKeysAreCut) {
    EXPECT_EQ(key_of("O'Brien"), "O Brien ");
    EXPECT_EQ(key_of("don't"), "don t ");
    EXPECT_EQ(key_of("rock'n'roll"), "rock n rol");
    EXPECT_EQ(key_of("International"), "Internatio");
    EXPECT_EQ(key_of("Wonderland"), "Wonderland");  // ten letters: no room for the blank
    EXPECT_EQ(key_of("Apple"), "Apple ");           // case as typed
    EXPECT_EQ(key_of("'''x"), std::nullopt);        // third apostrophe: leading blank goes, code 39
}

TEST(WordSplit, TypedMarkerWordCountsOnlyInMarkerMode) {
    EXPECT_EQ(keys_of(split("one xxxxx two", false)),
              (std::vector<std::pair<std::string, int>>{{"one ", 1}, {"xxxxx ", 2}, {"two ", 3}}));
    EXPECT_EQ(keys_of(split("one xxxxx two", true)),
              (std::vector<std::pair<std::string, int>>{{"one ", 1}, {"two ", 3}}));
    EXPECT_EQ(keys_of(split("one XXXXX two", true)).size(), 3u);  // case-sensitive
}

TEST(WordSplit, BlanksAndLineBreaksAtTheStartTakeTheFirstPosition) {
    EXPECT_EQ(keys_of(split(" first   second", false)),
              (std::vector<std::pair<std::string, int>>{{"first ", 2}, {"second ", 3}}));
    EXPECT_EQ(keys_of(split("\r\nfirst", false)),
              (std::vector<std::pair<std::string, int>>{{"first ", 2}}));
    EXPECT_EQ(keys_of(split("\r\nfirst", true)),
              (std::vector<std::pair<std::string, int>>{{"first ", 3}}));
}

TEST(WordSplit, OnlyBlanksSeparateWords) {
    EXPECT_EQ(keys_of(split("tab\there lone\rcr lone\nlf", false)),
              (std::vector<std::pair<std::string, int>>{
                  {"tab\there ", 1}, {"lone\rcr ", 2}, {"lone\nlf ", 3}}));
    // Every token counts for the positions, also those that store nothing.
    EXPECT_EQ(keys_of(split("a - b ... c", false)),
              (std::vector<std::pair<std::string, int>>{{"a ", 1}, {"b ", 3}, {"c ", 5}}));
}

TEST(WordSplit, ProgressBarMovesAtEveryFifthLineBreak) {
    std::string text;
    for (int line = 1; line <= 20; ++line)
        text += "line " + std::to_string(line) + "\r\n";
    const auto steps = split(text, true);
    EXPECT_EQ(bar_widths(steps), (std::vector<int>{425, 900, 1375, 1850}));
    // The first move comes after the fifth line's words, before the sixth's.
    std::size_t keysBefore = 0;
    while (!std::holds_alternative<app::BarStep>(steps[keysBefore]))
        ++keysBefore;
    EXPECT_EQ(keysBefore, 10u);
    EXPECT_TRUE(bar_widths(split(text, false)).empty());
}

TEST(WordSplit, ManyLineBreaksLeaveTheBarUntilItsWidthIsPositive) {
    std::string text;
    for (int line = 1; line <= 200; ++line)
        text += "word\r\n";
    const std::vector<int> widths = bar_widths(split(text, true));
    // At 5 markers of 200 the width would be -2.5: the bar stays as it was.
    ASSERT_EQ(widths.size(), 39u);
    EXPECT_EQ(widths[0], 45);  // 10 markers
    EXPECT_EQ(widths[1], 93);  // 15 markers: 92.5
    EXPECT_EQ(widths[38], 1850);
}

TEST(WordSplit, TypedMarkersWithoutLineBreaksNeverMoveTheBar) {
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "xxxxx ";
    const auto steps = split(text, true);
    EXPECT_TRUE(steps.empty());
}

}  // namespace
