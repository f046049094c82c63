// Pack Database stories: the confirmation, removing exactly the marked records
// of both tables while document numbers stay, the end of the program, and the
// refusal while another handle has a table open for writing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/pack_database.h"
#include "app/startup.h"
#include "browse/do_delete.h"
#include "browse/goto_record.h"
#include "browse/specific_record.h"
#include "tests/program/program_story.h"
#include "xbase/d4.h"

namespace {

using testsupport::ProgramStory;

constexpr const char* kConfirmation =
    "This program will permanently remove the records tagged for deletion.  The program should "
    "only be run if no-one else is using the database.  Also, make sure that you have a good "
    "backup of the databases before you run this program.  Are you sure you want to proceed?";

// What one table holds: per document number, how many records and how many
// of them are marked; and in all.
struct TableContents {
    std::map<long, int> records;
    int marked = 0;
    long count = 0;
};

TableContents contents_of(const std::string& path) {
    TableContents contents;
    for (const auto& [number, document] : testsupport::records_by_document(path)) {
        contents.records[number] = document.records;
        contents.marked += document.marked;
        contents.count += document.records;
    }
    return contents;
}

class PackStory : public ProgramStory {
  public:
    PackStory() { EXPECT_TRUE(start()); }

    // Shows document number by Specific Record and deletes it.
    void delete_document(int number) {
        platform.dialogs.inputs = {std::to_string(number)};
        browse::specific_record(p());
        browse::do_delete(p(), browse::kDeleteMode);
    }
    TableContents keys() { return contents_of(main().keysPath); }
    TableContents text() { return contents_of(main().textPath); }
};

TEST(Pack, RemovesExactlyTheMarkedRecordsAndKeepsDocumentNumbers) {
    PackStory story;
    story.index("alpha document is the first one");
    story.index("bravo document " + std::string(4000, 'b') + " is long");
    story.index("charlie document stays in the table");
    story.index("delta document was the last one stored");
    story.delete_document(2);
    story.delete_document(4);
    const TableContents keysBefore = story.keys();
    ASSERT_EQ(story.text().marked, 2);
    const long memoBefore = story.platform.files.fileLength(story.folder.file("Text.fpt"));

    story.platform.dialogs.answers = {platform::Answer::Yes};
    story.platform.desktop.pointerChanges.clear();
    app::pack_database(story.p());

    const auto& boxes = story.platform.dialogs.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(testsupport::is_box(boxes[0], kConfirmation, platform::Icon::Question,
                                    platform::Buttons::YesNoCancel));
    EXPECT_TRUE(
        testsupport::is_box(boxes[1], "Database Pack completed.  Please restart the program."));
    EXPECT_FALSE(boxes[1].busy);
    EXPECT_EQ(story.platform.desktop.pointerChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(story.p().ended);
    EXPECT_EQ(story.p().engine, nullptr);
    EXPECT_EQ(story.p().keys, nullptr);
    EXPECT_EQ(story.p().text, nullptr);

    const TableContents text = story.text();
    EXPECT_EQ(text.count, 2);
    EXPECT_EQ(text.marked, 0);
    EXPECT_EQ(text.records, (std::map<long, int>{{1, 1}, {3, 1}}));
    const TableContents keys = story.keys();
    EXPECT_EQ(keys.marked, 0);
    EXPECT_EQ(keys.records,
              (std::map<long, int>{{1, keysBefore.records.at(1)}, {3, keysBefore.records.at(3)}}));
    EXPECT_LT(story.platform.files.fileLength(story.folder.file("Text.fpt")), memoBefore);

    // Restarted: the highest number is the last remaining document's, record
    // numbers run from 1 again, and a new document takes the next number.
    ASSERT_TRUE(story.start());
    EXPECT_EQ(story.main().highestDocumentNumber, 3);
    browse::goto_record(story.p(), browse::kLast);
    EXPECT_EQ(story.main().txtInput.text, "charlie document stays in the table");
    EXPECT_EQ(story.main().LabelRecord.caption, "#2");
    story.index("echo document after the pack");
    EXPECT_EQ(story.main().documentOnDisplay, 4);
}

TEST(Pack, AnyAnswerButYesChangesNothing) {
    PackStory story;
    story.index("alpha document is the first one");
    story.delete_document(1);
    xbase::Data4* keys = story.p().keys;
    story.platform.desktop.pointerChanges.clear();
    for (platform::Answer answer : {platform::Answer::No, platform::Answer::Cancel}) {
        story.platform.dialogs.answers = {answer};
        app::pack_database(story.p());
        EXPECT_FALSE(story.p().ended);
        EXPECT_EQ(story.p().keys, keys);
        EXPECT_EQ(story.text().marked, 1);
    }
    EXPECT_EQ(story.platform.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(story.platform.desktop.pointerChanges.empty());
    // The tables are still open and in use.
    story.index("bravo document after the refusal");
    EXPECT_EQ(story.text().count, 2);
}

TEST(Pack, WithNoMarkedRecordsStillRunsToTheEnd) {
    PackStory story;
    story.index("alpha document is the first one");
    story.platform.dialogs.answers = {platform::Answer::Yes};
    app::pack_database(story.p());
    ASSERT_EQ(story.platform.dialogs.boxes.size(), 2u);
    EXPECT_EQ(story.platform.dialogs.boxes[1].text,
              "Database Pack completed.  Please restart the program.");
    EXPECT_TRUE(story.p().ended);
    EXPECT_EQ(story.text().count, 1);
}

TEST(Pack, RefusesWhileAnotherHandleHasATableOpenForWriting) {
    for (const bool keysHeld : {true, false}) {
        PackStory story;
        story.index("alpha document is the first one");
        story.delete_document(1);
        const std::string held = keysHeld ? story.main().keysPath : story.main().textPath;
        xbase::Code4* other = xbase::d4init_v();
        ASSERT_NE(xbase::d4open(other, held.c_str()), nullptr);

        story.platform.dialogs.answers = {platform::Answer::Yes};
        app::pack_database(story.p());
        ASSERT_EQ(story.platform.dialogs.boxes.size(), 2u);
        const auto& box = story.platform.dialogs.boxes[1];
        EXPECT_TRUE(testsupport::is_box(box, app::cannot_open_message(held, false)));
        EXPECT_EQ(box.text.find("Cannot open /"), 0u);
        EXPECT_TRUE(story.p().ended);
        EXPECT_EQ(keysHeld ? story.p().keys : story.p().text, nullptr);
        xbase::d4initUndo(other);
        app::close_main_window(story.p());  // the ended program's window closes

        // Nothing was packed: the marked records are all still there.
        EXPECT_EQ(story.text().marked, 1);
        EXPECT_GT(story.keys().marked, 0);
    }
}

TEST(Pack, AFailedPackIsReportedAndTheProgramGoesOnWithTheReopenedTables) {
    for (const bool keysFails : {true, false}) {
        PackStory story;
        story.index("alpha document is the first one");
        story.index("bravo document is the second one");
        story.delete_document(1);
        // A folder where the pack would write its new table file.
        const std::string blocked =
            (keysFails ? story.main().keysPath : story.main().textPath) + ".new";
        std::filesystem::create_directories(blocked + "/inside");

        story.platform.dialogs.answers = {platform::Answer::Yes};
        app::pack_database(story.p());
        ASSERT_EQ(story.platform.dialogs.boxes.size(), 2u);
        const auto& box = story.platform.dialogs.boxes[1];
        const std::string expected =
            keysFails ? "Cannot unpack Database -" : "Cannot unpack Text database -";
        EXPECT_EQ(box.text.rfind(expected, 0), 0u) << box.text;
        EXPECT_EQ(box.icon, platform::Icon::Exclamation);
        EXPECT_FALSE(box.busy);
        EXPECT_FALSE(story.p().ended);
        ASSERT_NE(story.p().keys, nullptr);
        ASSERT_NE(story.p().text, nullptr);

        // The program goes on with the reopened tables.
        story.index("charlie document after the failed pack");
        EXPECT_EQ(story.main().documentOnDisplay, 3);
        app::close_main_window(story.p());
        std::filesystem::remove_all(blocked);
        EXPECT_EQ(story.text().marked, 1);
        // Keys was packed before Text failed: its marked records are gone.
        EXPECT_EQ(story.keys().marked > 0, keysFails);
    }
}

}  // namespace
