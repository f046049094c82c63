// The pure steps of the search: keywords from a search string, the duplicate
// check, the drawer in force, the query text and the required count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/search_parse.h"

namespace {

using Keywords = std::vector<std::string>;

Keywords keywords(const std::string& text) {
    return search::parse_search_string(text).keywords;
}

bool refused(const std::string& text) {
    return search::has_duplicate_keywords(keywords(text));
}

// Words become whole words (a trailing blank), prefixes (a '*') and cuts (ten
// characters); apostrophes become blanks; one trailing period of the string
// and one trailing comma or period of each word go; lone marks become empty
// or blank keywords.
TEST(SearchParse, WordsBecomeWholeWordsPrefixesAndCuts) {
    const std::pair<std::string, Keywords> cases[] = {
        {"Friend* meeting, Budget.", {"Friend", "meeting ", "Budget "}},
        {"  cardboard   friendship encyclopedia  ", {"cardboard ", "friendship", "encycloped"}},
        {"don't o'neil* next", {"don t ", "o neil", "next "}},
        {"friend! (friend) a\tb", {"friend! ", "(friend) ", "a\tb "}},
        {"end.,", {"end. "}},
        {"end..", {"end "}},
        {"a.. b", {"a. ", "b "}},
        {"friend*,", {"friend"}},
        {"*", {""}},
        {".", {" "}},
        {"cats , dogs", {"cats ", " ", "dogs "}}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(keywords(text), expected) << text;
}

TEST(SearchParse, TwentyOneWordsAreTooManyAndDuplicatesAndOverlapsAreRefused) {
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += "w" + std::to_string(i) + " ";
    EXPECT_FALSE(search::parse_search_string(twenty).tooMany);
    EXPECT_EQ(search::parse_search_string(twenty).keywords.size(), 20u);

    const search::ParsedSearch parsed = search::parse_search_string(twenty + "w20");
    EXPECT_TRUE(parsed.tooMany);
    EXPECT_TRUE(parsed.keywords.empty());

    // Duplicates and overlaps are refused.
    for (const char* text : {"cat cat", "cat Cat", "catalog cat", "friend* friendship", "* *"})
        EXPECT_TRUE(refused(text)) << text;
    for (const char* text : {"the other", "to to", "a a", "bobcat cat", "* cat", "cats , dogs"})
        EXPECT_FALSE(refused(text)) << text;
}

TEST(SearchParse, DrawerIsTrimmedUpperCasedAndCutAndNoneMeansNoDrawer) {
    EXPECT_EQ(search::search_drawer("  Letters ", 10), "LETTERS");
    EXPECT_EQ(search::search_drawer("Letters1999xyz", 10), "LETTERS199");
    EXPECT_EQ(search::search_drawer("\xe9t\xe9", 10), "\xc9T\xc9");  // cp1252 accents
    for (const char* none : {"", "   ", "NONE", "none", " NoNe "})
        EXPECT_EQ(search::search_drawer(none, 10), "") << none;
}

TEST(SearchParse, QueryTextsAreWrittenExactlyAndDrawersQuotedSafely) {
    const Keywords three{"Friend", "meeting ", "Budget "};
    EXPECT_EQ(search::build_query_expression(three, {}),
              "UPPER(Keys) + STR(Items) = 'FRIEND' .OR. UPPER(Keys) + STR(Items) = 'MEETING ' "
              ".OR. UPPER(Keys) + STR(Items) = 'BUDGET '");
    EXPECT_EQ(search::build_query_expression({"Budget "}, {"LETTERS", true, 25}),
              "UPPER(Keys) + STR(Items) = 'BUDGET ' .AND. UPPER(Filter) = 'LETTERS' .AND. "
              "Order <  25");
    EXPECT_EQ(search::build_query_expression({"a ", "b"}, {"", true, 10}),
              "UPPER(Keys) + STR(Items) = 'A ' .AND. Order < 10 .OR. "
              "UPPER(Keys) + STR(Items) = 'B' .AND. Order < 10");
    EXPECT_EQ(search::build_query_expression({"x "}, {"99", false, 25}),
              "UPPER(Keys) + STR(Items) = 'X ' .AND. UPPER(Filter) = '99'");

    // Drawer names are quoted with a delimiter they do not hold.
    auto drawer_part = [](const std::string& drawer) {
        auto query = search::build_query_expression({"x "}, {drawer, false, 25});
        return query ? query->substr(query->find("UPPER(Filter)")) : std::string("<refused>");
    };
    EXPECT_EQ(drawer_part("O'NEIL"), "UPPER(Filter) = \"O'NEIL\"");
    EXPECT_EQ(drawer_part("A'B\"C"), "UPPER(Filter) = [A'B\"C]");
    EXPECT_EQ(drawer_part("A'B\"C]"), "<refused>");
    EXPECT_EQ(drawer_part("A\"]"), "UPPER(Filter) = 'A\"]'");
}

TEST(SearchParse, RequiredCountAllowsOneMissWithToleranceButNeverLessThanOne) {
    EXPECT_EQ(search::required_count(3, false), 3);
    EXPECT_EQ(search::required_count(3, true), 2);
    EXPECT_EQ(search::required_count(1, true), 1);
}

}  // namespace
