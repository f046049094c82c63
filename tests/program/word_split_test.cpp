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

// The keys of the steps with their positions: "[key]position ...".
std::string keys_of(const std::vector<app::WordStep>& steps) {
    std::string keys;
    for (const app::WordStep& step : steps) {
        if (const auto* key = std::get_if<app::KeyStep>(&step))
            keys += (keys.empty() ? "[" : " [") + key->key + "]" + std::to_string(key->position);
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

// Punctuation is stripped at both ends (at most two opening and three closing
// characters), apostrophes become blanks, keys are cut to ten characters and
// keep their case; the keep test takes letters (every code from 128 up),
// digits and longer tokens. Tokens of punctuation alone store nothing.
TEST(WordFilter, TokensBecomeKeysOrNothing) {
    // clang-format off
    const std::pair<const char*, const char*> kept[] = {
        {"(Hello),", "Hello "}, {"end.)))", "end. "}, {"\"word\",", "word "},
        {"\xBFQu\xE9?", "Qu\xE9 "}, {"(a", "a "}, {"(((ab", "(ab "}, {"x", "x "}, {"7", "7 "},
        {"\xE9", "\xE9 "}, {"--", "-- "}, {"('xy", "xy "}, {"O'Brien", "O Brien "},
        {"rock'n'roll", "rock n rol"}, {"International", "Internatio"},
        {"Wonderland", "Wonderland"}, {"Apple", "Apple "}};
    // clang-format on
    for (const auto& [token, key] : kept)
        EXPECT_EQ(key_of(token), key) << token;
    // 64 is the last code below the letters; "('x" tests the quote after the
    // two opening characters; "'''x" loses its leading blank and tests code 39.
    for (const char* token :
         {"\xA1", "\xBF", "!", "...", "'", "((", "((a", "(", "&", "#", "-", "@", "('x", "'''x"})
        EXPECT_EQ(key_of(token), std::nullopt) << token;
}

// Typed marker words count only in marker mode (case-sensitive); blanks and
// line breaks at the start take the first position; only blanks separate
// words; every token counts for the positions, also those that store nothing.
TEST(WordSplit, KeysAndPositions) {
    const struct {
        std::string text;
        bool markerMode;
        std::string keys;
    } cases[] = {{"one xxxxx two", false, "[one ]1 [xxxxx ]2 [two ]3"},
                 {"one xxxxx two", true, "[one ]1 [two ]3"},
                 {"one XXXXX two", true, "[one ]1 [XXXXX ]2 [two ]3"},
                 {" first   second", false, "[first ]2 [second ]3"},
                 {"\r\nfirst", false, "[first ]2"},
                 {"\r\nfirst", true, "[first ]3"},
                 {"tab\there lone\rcr lone\nlf", false, "[tab\there ]1 [lone\rcr ]2 [lone\nlf ]3"},
                 {"a - b ... c", false, "[a ]1 [b ]3 [c ]5"}};
    for (const auto& c : cases)
        EXPECT_EQ(keys_of(split(c.text, c.markerMode)), c.keys) << c.text;
}

TEST(WordSplit, ProgressBarMovesAtEveryFifthLineBreakOnceItsWidthIsPositive) {
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

    // At 5 markers of 200 the width would be -2.5: the bar stays as it was.
    text.clear();
    for (int line = 1; line <= 200; ++line)
        text += "word\r\n";
    const std::vector<int> widths = bar_widths(split(text, true));
    ASSERT_EQ(widths.size(), 39u);
    EXPECT_EQ(widths[0], 45);  // 10 markers
    EXPECT_EQ(widths[1], 93);  // 15 markers: 92.5
    EXPECT_EQ(widths[38], 1850);

    // Typed markers without line breaks store nothing and never move the bar.
    text.clear();
    for (int i = 0; i < 10; ++i)
        text += "xxxxx ";
    EXPECT_TRUE(split(text, true).empty());
}

}  // namespace
