// Create Index stories: texts typed into the main window become keyword and
// document records, read back from the tables; the checks, the size limits,
// drawers, numbering, the view afterwards and the failure rule.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "index/create_index.h"
#include "store/bindings.h"
#include "store/names.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace {

using testsupport::ProgramStory;
using Keys = std::vector<std::string>;

const std::string kWorkedExample = "(Hello), said O'Brien (1999).\r\nIt's 5 a.m.";
const std::string kSizeMessage =
    "Maximum text size of 32768 bytes exceeded.  It is suggested that you break the text into "
    "two files.";

std::string without_trailing_blanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

struct TextRow {
    long items = 0;
    std::string text;
    std::string date;
    bool deleted = false;
};

// A text of exactly length characters: start, a blank, then letters.
std::string text_of_length(const std::string& start, std::size_t length) {
    return start + " " + std::string(length - start.size() - 1, 'z');
}

class CreateIndex : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(story.start()); }

    ui::FrmMain& form() { return story.main(); }
    app::Program& program() { return story.p(); }

    void index(const std::string& text) { story.index(text); }

    // The keyword records of document number in record order, each as
    // "[key]position", followed by "{drawer}" when it has one.
    std::vector<std::string> keys_of(long number) {
        xbase::Data4* keys = program().keys;
        std::vector<std::string> rows;
        for (long record = 1; record <= xbase::d4recCountDo(keys); ++record) {
            xbase::d4goTo(keys, record);
            if (xbase::f4long(xbase::d4field(keys, store::kItemsField)) != number) continue;
            auto text = [&](const char* field) {
                return without_trailing_blanks(store::field_text(xbase::d4field(keys, field)));
            };
            const std::string filter = text(store::kFilterField);
            rows.push_back("[" + text(store::kKeysField) + "]" +
                           std::to_string(xbase::f4long(xbase::d4field(keys, store::kOrderField))) +
                           (filter.empty() ? "" : "{" + filter + "}"));
        }
        return rows;
    }

    TextRow text_record(long record) {
        xbase::Data4* text = program().text;
        xbase::d4goTo(text, record);
        return {xbase::f4long(xbase::d4field(text, store::kItemsField)),
                store::memo_text(xbase::d4field(text, store::kTextField), story.platform.dialogs),
                store::field_text(xbase::d4field(text, store::kDateField)),
                xbase::d4deleted(text) == 1};
    }

    long key_count() { return xbase::d4recCountDo(program().keys); }
    long text_count() { return xbase::d4recCountDo(program().text); }
    testsupport::ScriptedDesktop& desktop() { return story.platform.desktop; }

    ProgramStory story;
};

TEST_F(CreateIndex, WorkedExampleStoresExactlyItsKeysAndPositions) {
    index(kWorkedExample);
    EXPECT_EQ(keys_of(1),
              (Keys{"[Hello]1", "[said]2", "[O Brien]3", "[1999]4", "[It s]5", "[5]6", "[a.m]7"}));
    EXPECT_EQ(key_count(), 7);
    EXPECT_TRUE(story.boxes().empty());
    EXPECT_EQ(desktop().pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(desktop().yields, 1);
    EXPECT_FALSE(form().LabelScale.visible);
    EXPECT_FALSE(form().ImageScale.visible);
}

TEST_F(CreateIndex, LargeTextsFrom5000GiveTheLineBreakItsOwnPosition) {
    std::string text = kWorkedExample;
    while (text.size() < 6000)
        text += " filler";
    index(text);
    const Keys keys = keys_of(1);
    ASSERT_GT(keys.size(), 7u);
    EXPECT_EQ(Keys(keys.begin(), keys.begin() + 7),
              (Keys{"[Hello]1", "[said]2", "[O Brien]3", "[1999]4", "[It s]6", "[5]7", "[a.m]8"}));
    EXPECT_EQ(keys.back(), "[filler]" + std::to_string(keys.size() + 1));
    // The bar was drawn before the words and is hidden, full, afterwards.
    EXPECT_EQ(desktop().yields, 2);
    EXPECT_FALSE(form().LabelScale.visible);
    EXPECT_FALSE(form().ImageScale.visible);
    EXPECT_EQ(form().LabelScale.rect.width, 1950);
    EXPECT_EQ(form().LabelScale.foreColour, ui::kBlack);

    // Large texts begin at a working length of 5000: one yield, or a bar and two.
    index(text_of_length("alpha\r\nbeta", 4997));
    EXPECT_EQ(keys_of(2)[1], "[beta]2");
    EXPECT_EQ(desktop().yields, 3);
    index(text_of_length("alpha\r\nbeta", 4998));
    EXPECT_EQ(keys_of(3)[1], "[beta]3");
    EXPECT_EQ(desktop().yields, 5);
}

TEST_F(CreateIndex, ShortTextsAndTheNotFoundNoticeAreRefusedWithoutANumber) {
    index("   123456789   ");
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], "Text must be at least 10 characters."));
    EXPECT_EQ(form().focus, ui::MainFocus::txtInput);
    EXPECT_EQ(form().txtInput.text, "   123456789   ");
    EXPECT_TRUE(desktop().pointerChanges.empty());

    form().focus = ui::MainFocus::txtSearch;
    index("NO RECORD FOUND for this search");
    ASSERT_EQ(story.boxes().size(), 2u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[1], "Please enter text for indexing."));
    EXPECT_EQ(form().txtInput.text, "");
    EXPECT_EQ(form().focus, ui::MainFocus::txtInput);
    EXPECT_EQ(form().highestDocumentNumber, 0);
    EXPECT_EQ(text_count(), 0);
    EXPECT_EQ(key_count(), 0);

    index("   1234567890   ");
    index("No Record Found is only the search's notice in capitals");
    EXPECT_EQ(story.boxes().size(), 2u);
    EXPECT_EQ(text_record(1).items, 1);
    EXPECT_EQ(text_record(2).items, 2);
    EXPECT_EQ(keys_of(1), Keys{"[1234567890]2"});
}

TEST_F(CreateIndex, TheLongestTextIsStoredAndALongerOneConsumesItsNumber) {
    const std::string longest = text_of_length("longest", 32766);
    index(longest);
    EXPECT_EQ(text_record(1).text, longest);
    EXPECT_EQ(keys_of(1), (Keys{"[longest]1", "[zzzzzzzzzz]2"}));

    desktop().pointerChanges.clear();
    const std::string tooLong = text_of_length("toolong", 32767);
    index(tooLong);
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_TRUE(testsupport::is_box(story.boxes()[0], kSizeMessage));
    EXPECT_FALSE(story.boxes()[0].busy);
    EXPECT_EQ(desktop().pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_EQ(form().txtInput.text, tooLong);
    EXPECT_EQ(text_count(), 1);
    EXPECT_EQ(key_count(), 2);

    index("The next document after the refused one.");
    EXPECT_EQ(text_record(2).items, 3);
    EXPECT_EQ(form().LabelRecord.caption, "#2");
    EXPECT_EQ(keys_of(2), Keys{});
    EXPECT_EQ(keys_of(3).size(), 7u);
}

TEST_F(CreateIndex, DrawerGoesIntoFilterTrimmedAndCutToTheFieldWidth) {
    const long width = xbase::f4len_v(xbase::d4field(program().keys, store::kFilterField));
    ASSERT_GE(width, 6);
    const std::string longName = "Correspondence and more";
    const std::vector<std::pair<std::string, std::string>> drawers = {
        {"", ""},
        {"NONE", ""},
        {"none", ""},
        {" nOnE ", ""},
        {" Letters ", "Letters"},
        {longName, without_trailing_blanks(longName.substr(0, static_cast<std::size_t>(width)))}};
    long number = 0;
    for (const auto& [drawer, stored] : drawers) {
        form().ComboFilter.text = drawer;
        index("Two words in a drawer");
        ++number;
        const std::string in = stored.empty() ? "" : "{" + stored + "}";
        EXPECT_EQ(keys_of(number), (Keys{"[Two]1" + in, "[words]2" + in, "[in]3" + in, "[a]4" + in,
                                         "[drawer]5" + in}))
            << "drawer \"" << drawer << "\"";
    }
}

TEST_F(CreateIndex, ConsecutiveDocumentsShowTheirOwnNumbersAndRecords) {
    desktop().todayDate = {2031, 1, 5};
    desktop().dateFormat = "DD.MM.YYYY";
    form().deleted_text = "a deleted document whose notice was shown";

    index(kWorkedExample);
    EXPECT_EQ(story.status(), "1|1|#1|New|05.01.2031");
    EXPECT_EQ(form().txtInput.text, "Indexed");
    EXPECT_EQ(form().documentOnDisplay, 1);
    EXPECT_EQ(form().deleted_text, "");

    index("A second document, indexed right after the first.");
    EXPECT_EQ(form().highestDocumentNumber, 2);
    EXPECT_EQ(form().LabelRecord.caption, "#2");
    EXPECT_EQ(form().documentOnDisplay, 2);

    // The text box now holds "Indexed": the same text cannot be stored twice.
    app::create_index(program());
    ASSERT_EQ(story.boxes().size(), 1u);
    EXPECT_EQ(story.boxes()[0].text, "Text must be at least 10 characters.");

    const TextRow first = text_record(1);
    EXPECT_EQ(first.items, 1);
    EXPECT_EQ(first.text, kWorkedExample);
    EXPECT_EQ(first.date, "20310105");
    EXPECT_FALSE(first.deleted);
    EXPECT_EQ(text_record(2).items, 2);

    // A refused text consumes number 3 and leaves the document table where it
    // stood; a restart reloads the highest stored number, so 3 comes again.
    xbase::d4goTo(program().text, 1);
    index(text_of_length("too long", 32767));
    EXPECT_EQ(form().highestDocumentNumber, 3);
    EXPECT_EQ(xbase::d4recNo(program().text), 1);
    ASSERT_TRUE(story.start());
    EXPECT_EQ(form().highestDocumentNumber, 2);
    index("A third document, after a restart of the program.");
    EXPECT_EQ(text_record(3).items, 3);
    EXPECT_EQ(form().LabelRecord.caption, "#3");
}

TEST_F(CreateIndex, FailingAppendStartsAreReportedAndTheRoutineGoesOn) {
    // A keyword table that takes no records: every append start fails.
    xbase::Data4* keys = program().keys;
    program().keys = nullptr;
    index("three kept words");
    program().keys = keys;

    ASSERT_EQ(story.boxes().size(), 3u);
    for (const auto& box : story.boxes()) {
        EXPECT_TRUE(testsupport::is_box(box, "Error AppendStart"));
        EXPECT_FALSE(box.busy);
    }
    EXPECT_EQ(desktop().pointerChanges,
              (std::vector<bool>{true, false, true, false, true, false, true, false}));
    EXPECT_EQ(text_record(1).text, "three kept words");
    EXPECT_EQ(form().txtInput.text, "Indexed");
    EXPECT_EQ(key_count(), 0);
}

TEST_F(CreateIndex, NothingIsStoredOnceTheNumbersAreUsedUp) {
    xbase::Data4* text = program().text;
    xbase::d4appendStartVB(text, 0);
    store::assign_text(xbase::d4field(text, store::kItemsField), "2147483647");
    xbase::d4append(text);
    xbase::d4unlock(text);
    xbase::d4flush(text);
    ASSERT_TRUE(story.start());
    ASSERT_EQ(form().highestDocumentNumber, 2147483647);

    index("A document that would repeat the last number.");
    EXPECT_EQ(text_count(), 1);
    EXPECT_EQ(key_count(), 0);
    EXPECT_EQ(form().highestDocumentNumber, 2147483647);
    EXPECT_EQ(form().txtInput.text, "A document that would repeat the last number.");
}

}  // namespace
