// Search stories: documents stored, searched every way the search string and
// the options allow, with the window state, boxes and pointer at each end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/program/search_documents.h"

namespace {

using testsupport::SearchStory;
using Numbers = std::vector<int>;

constexpr const char* kNothingMatched =
    "NO RECORD FOUND.  You may want to modify the Search String.  \r\n\r\n"
    "Have you tried to run the search with 'High Tolerance?  \r\n"
    "You may want to use the asterisk wildcard character (*), e.g. friend*.  \r\n"
    "Have you specified the correct Folder? \r\n"
    "Please review the online help for recommended search formats.";
constexpr const char* kNoneQualified =
    "NO RECORD FOUND.  You may want to modify the Search String.  Also, review the online help "
    "for recommended search formats. (2)";

// Four documents; the numbers start at 11 so that document numbers and
// record numbers differ.
class Search : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(story.started);
        story.main().highestDocumentNumber = 10;
        story.store("the friendly meeting about the budget");  // 11
        story.store("friends and budget planning");            // 12
        story.store("an encyclopedia entry on cardboard");     // 13
        story.store("cats and dogs");                          // 14
    }

    // The view after a search that found nothing shows text in the message
    // colour, the labels reset and the focus in the search box.
    void expect_nothing_found(const char* text) {
        const ui::FrmMain& form = story.main();
        EXPECT_EQ(form.txtInput.text, text);
        EXPECT_EQ(form.txtInput.foreColour, ui::kMessageColour);
        EXPECT_EQ(story.status(), "0|0|#0||");
        EXPECT_EQ(form.focus, ui::MainFocus::txtSearch);
        EXPECT_FALSE(form.documentOnDisplay.has_value());
        EXPECT_TRUE(story.boxes().empty());
        EXPECT_FALSE(story.platform.desktop.busy);
    }

    SearchStory story;
};

TEST_F(Search, FindsAWholeWordAndShowsTheFirstHit) {
    story.main().focus = ui::MainFocus::ComboFilter;
    story.platform.desktop.pointerChanges.clear();
    story.search("Budget.");
    const ui::FrmMain& form = story.main();
    EXPECT_EQ(story.found(), (Numbers{11, 12}));
    EXPECT_EQ(form.txtInput.text, "the friendly meeting about the budget");
    EXPECT_EQ(form.txtInput.foreColour, ui::kBlack);
    EXPECT_EQ(story.status(),
              "1|2|#" + form.hitList[1] + "||3/15/2024");  // the number, not the record
    EXPECT_EQ(form.LabelOptimized.caption, "Y");
    EXPECT_EQ(form.documentOnDisplay, 11);
    EXPECT_EQ(form.queryExpression, "UPPER(Keys) + STR(Items) = 'BUDGET '");
    EXPECT_EQ(form.keywordList[1], "Budget ");
    EXPECT_EQ(form.focus, ui::MainFocus::ComboFilter);  // a found search leaves the focus
    EXPECT_TRUE(story.boxes().empty());
    EXPECT_EQ(story.platform.desktop.pointerChanges, (std::vector<bool>{true, false}));
}

TEST_F(Search, PrefixesCutsStarsAndToleranceDecideWhichDocumentsQualify) {
    story.search("friend*");
    EXPECT_EQ(story.found(), (Numbers{11, 12}));
    story.search("encyclopedias cardboard");  // the cut "encycloped" matches the stored cut
    EXPECT_EQ(story.found(), (Numbers{13}));
    story.search("budget planning");
    EXPECT_EQ(story.found(), (Numbers{12}));
    story.search("*");  // a star alone finds every document
    EXPECT_EQ(story.found(), (Numbers{11, 12, 13, 14}));
    EXPECT_EQ(story.main().queryExpression, "UPPER(Keys) + STR(Items) = ''");
    // Records are counted, not keywords: two records of 15 match friend*.
    story.store("friends are friendly");
    story.search("friend* letter");
    EXPECT_EQ(story.found(), (Numbers{15}));
    story.main().CheckTolerance.checked = true;
    story.search("budget planning");
    EXPECT_EQ(story.found(), (Numbers{11, 12}));
    // A document qualifies on one keyword's records alone, among others that
    // hold too few (11 and 12 one each, 14 two).
    story.main().CheckTolerance.checked = false;
    story.store("budget notes, budget sums, budget");  // 16
    story.search("budget cats dogs");
    EXPECT_EQ(story.found(), (Numbers{16}));
}

TEST_F(Search, NothingMatchedAndNoneQualifiedShowTheirTwoTexts) {
    story.search("friend");  // only friendly and friends are stored
    expect_nothing_found(kNothingMatched);
    story.search(".");  // one keyword that is a single blank
    expect_nothing_found(kNothingMatched);
    story.search("friend! (cats)");
    expect_nothing_found(kNothingMatched);

    story.search("budget cardboard");  // both match, no document holds both
    expect_nothing_found(kNoneQualified);
    story.search("cats , dogs");  // the lone comma counts: three are needed
    expect_nothing_found(kNoneQualified);
    story.main().CheckTolerance.checked = true;
    story.search("cats , dogs");
    EXPECT_EQ(story.found(), (Numbers{14}));
    EXPECT_EQ(story.main().txtInput.foreColour, ui::kBlack);
}

TEST_F(Search, RefusalsShowTheirBoxAndLeaveTheViewAndQuery) {
    story.search("budget");
    ui::FrmMain& form = story.main();
    const std::string shown = form.txtInput.text;
    const std::string query = form.queryExpression;

    struct Case {
        std::string searchString;
        std::string message;
    };
    std::string tooMany;
    for (int i = 0; i < 21; ++i)
        tooMany += "w" + std::to_string(i) + " ";
    const std::vector<Case> cases{
        {"   ",
         "You must specify the Search String.  To retrieve your last query string, double-click "
         "on the Search Text box."},
        {"cat Cat", "The search string includes duplicate or overlapping keywords."},
        {"catalog cat", "The search string includes duplicate or overlapping keywords."},
        {tooMany, "The search string has more than 20 keywords."},
    };
    for (const Case& c : cases) {
        story.platform.dialogs.boxes.clear();
        form.focus = ui::MainFocus::txtInput;
        story.search(c.searchString);
        ASSERT_EQ(story.boxes().size(), 1u) << c.searchString;
        EXPECT_TRUE(testsupport::is_box(story.boxes()[0], c.message));
        EXPECT_EQ(form.focus, ui::MainFocus::txtSearch);
        EXPECT_EQ(form.txtInput.text, shown);
        EXPECT_EQ(form.queryExpression, query);
        EXPECT_EQ(story.status(), "||#" + form.hitList[1] + "||");
    }
    // Duplicates are found in the parsed list; too many words leave it alone.
    EXPECT_EQ(form.keywordList[1], "catalog ");
    EXPECT_EQ(form.keywordList[2], "cat ");
}

TEST(SearchIndexedTexts, FindsTheWorkedExampleAndALargeTextByTheirOwnWords) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    story.store("(Hello), said O'Brien (1999).\r\nIt's 5 a.m.");  // 1
    std::string large;
    while (large.size() < 6000)
        large += "line of filler words\r\n";
    story.store(large + "closing budget\r\nIt's here");  // 2: markers take positions

    for (const char* searchString : {"hello o'brien", "1999 it's 5", "a.m.", "O'Brien*"}) {
        story.search(searchString);
        EXPECT_EQ(story.found(), (Numbers{1})) << searchString;
    }
    story.search("it's");
    EXPECT_EQ(story.found(), (Numbers{1, 2}));
    story.search("xxxxx");  // the line-break marker of a large text is not stored
    EXPECT_EQ(story.found(), (Numbers{}));

    story.main().CheckTopOnly.checked = true;
    story.search("it's");  // far down in the large text
    EXPECT_EQ(story.found(), (Numbers{1}));
    story.search("line");  // the large text begins with it
    EXPECT_EQ(story.found(), (Numbers{2}));
    EXPECT_EQ(story.main().txtInput.text.substr(0, 10), "line of fi");
}

TEST(SearchDrawers, ADrawerLimitsTheSearchByPrefixAndNoneMeansEvery) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    story.store("budget letter", "Letters");  // 1
    story.store("budget memo", "99");         // 2
    story.store("budget note", "9912L");      // 3
    story.store("budget plain");              // 4
    story.store("budget quote", "O'Neil");    // 5

    const std::vector<std::pair<std::string, Numbers>> cases{{" letters ", {1}},
                                                             {"99", {2, 3}},
                                                             {"NoNe", {1, 2, 3, 4, 5}},
                                                             {"", {1, 2, 3, 4, 5}},
                                                             {"o'neil", {5}}};
    for (const auto& [drawer, expected] : cases) {
        story.main().ComboFilter.text = drawer;
        story.search("budget");
        EXPECT_EQ(story.found(), expected) << drawer;
    }
    EXPECT_EQ(story.main().queryExpression,
              "UPPER(Keys) + STR(Items) = 'BUDGET ' .AND. UPPER(Filter) = \"O'NEIL\"");
    EXPECT_TRUE(story.boxes().empty());

    story.main().ComboFilter.text = "a'b\"c]";
    story.search("budget");
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_NE(story.boxes()[0].text.find("cannot be searched"), std::string::npos);
    EXPECT_EQ(story.main().focus, ui::MainFocus::txtSearch);
    EXPECT_EQ(story.main().txtInput.text, "budget quote");
}

TEST(SearchTopOnly, OnlyWordsBeforeTheHeaderSizeCount) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    std::string late;
    for (int i = 0; i < 30; ++i)
        late += "filler ";
    story.store(late + "budget", "Tax");    // 1: budget at position 31
    story.store("early budget", "Tax");     // 2: budget at position 2
    story.store("budget at home", "Home");  // 3: budget at position 1

    story.main().CheckTopOnly.checked = true;
    story.search("budget");
    EXPECT_EQ(story.found(), (Numbers{2, 3}));
    EXPECT_EQ(story.main().queryExpression,
              "UPPER(Keys) + STR(Items) = 'BUDGET ' .AND. Order < 25");

    story.main().ComboFilter.text = "Tax";
    story.search("budget");
    EXPECT_EQ(story.found(), (Numbers{2}));
    EXPECT_EQ(story.main().queryExpression,
              "UPPER(Keys) + STR(Items) = 'BUDGET ' .AND. UPPER(Filter) = 'TAX' .AND. Order <  25");

    story.main().headerSize = 2;  // positions 1 only
    story.main().ComboFilter.text = "NONE";
    story.search("budget");
    EXPECT_EQ(story.found(), (Numbers{3}));
}

TEST(SearchCap, OneHundredFiftyQualifyingDocumentsKeepTheLowestHundred) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    for (int i = 1; i <= 150; ++i)
        story.store("common word " + std::to_string(i));

    story.search("common word");
    const ui::FrmMain& form = story.main();
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_EQ(story.boxes()[0].text,
              "There are more than 100 hits.  The system will display the first 100 hits.  You "
              "may want to refine the Search String.");
    EXPECT_FALSE(story.boxes()[0].busy);
    EXPECT_FALSE(story.platform.desktop.busy);
    EXPECT_EQ(form.LabelRecNo.caption, "1");
    EXPECT_EQ(form.txtInput.text, "common word 1");
    Numbers expected;
    for (int i = 1; i <= 100; ++i)
        expected.push_back(i);
    EXPECT_EQ(story.found(), expected);

    // The capped search left the keyword table on a record of document 101:
    // storing next adds the new document's records and changes none of it.
    story.store("stored after");
    const auto keys = testsupport::records_by_document(form.keysPath);
    EXPECT_EQ(keys.at(101).records, 3);
    EXPECT_EQ(keys.at(151).records, 2);

    // A later search fills only its own slots; the rest keep the old hits.
    story.platform.dialogs.boxes.clear();
    story.search("7");
    EXPECT_EQ(story.found(), (Numbers{7}));
    EXPECT_EQ(app::trim_blanks(form.hitList[2]), "2");
    EXPECT_TRUE(story.boxes().empty());
}

TEST(SearchDeleted, ADeletedFirstHitShowsTheNoticeAndKeepsItsText) {
    SearchStory story;
    ASSERT_TRUE(story.started);
    const auto first = story.store("budget of the deleted one");
    story.store("budget kept");
    testsupport::mark_deleted(story.p(), first);

    story.search("budget");
    const ui::FrmMain& form = story.main();
    EXPECT_EQ(form.LabelCount.caption, "2");
    EXPECT_EQ(form.txtInput.text.substr(0, 43), "This record has been provisionally DELETED.");
    EXPECT_EQ(form.txtInput.foreColour, ui::kNoticeColour);
    EXPECT_EQ(form.LabelDelete.caption, "Deleted");
    EXPECT_EQ(form.deleted_text, "budget of the deleted one");
    EXPECT_EQ(form.documentOnDisplay, 1);
}

}  // namespace
