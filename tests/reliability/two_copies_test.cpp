// Two running copies of the program on one folder: storing at the same time
// never gives two documents one number nor damages a table or index, and
// Pack refuses to run while the other copy has the tables open.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include "app/pack_database.h"
#include "app/startup.h"
#include "browse/do_delete.h"
#include "index/create_index.h"
#include "tests/program/program_story.h"
#include "tools/crash/crash_trial.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"

extern char** environ;

namespace {

pid_t spawn_driver(const std::string& folder, const char* seed, const char* steps) {
    const std::string driver = std::string(VELLUMARK_TOOLS_DIR) + "/crash_driver";
    const char* args[] = {driver.c_str(), folder.c_str(), seed, steps, "index", nullptr};
    pid_t pid = -1;
    posix_spawn(&pid, driver.c_str(), nullptr, nullptr, const_cast<char**>(args), environ);
    return pid;
}

int exit_status(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TwoCopies, StoringAtTheSameTimeNeverRepeatsANumber) {
    testsupport::ProgramStory story;
    ASSERT_TRUE(story.start());  // the first start restores the data files
    app::close_main_window(story.p());

    const pid_t first = spawn_driver(story.folder.path(), "101", "60");
    const pid_t second = spawn_driver(story.folder.path(), "202", "60");
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_EQ(exit_status(first), 0);
    EXPECT_EQ(exit_status(second), 0);

    long checked = 0;
    EXPECT_EQ(reliability::check_store_against_journal(story.folder.path(), checked),
              std::vector<std::string>{});
    EXPECT_EQ(checked, 120);
    ASSERT_TRUE(story.start());
    const std::vector<std::int32_t> numbers = reliability::document_numbers(story.p().text);
    ASSERT_EQ(numbers.size(), 120u);
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(numbers.back(), 120);
}

// A copy that starts while the other one stores must neither take the
// other's half-written table or index for damaged (and put the spare index
// in its place) nor read it wrong.
TEST(TwoCopies, StartingWhileTheOtherCopyStoresOpensEverythingSound) {
    testsupport::ProgramStory story;
    ASSERT_TRUE(story.start());
    app::close_main_window(story.p());

    const pid_t writer = spawn_driver(story.folder.path(), "303", "150");
    ASSERT_GT(writer, 0);
    int status = 0, starts = 0;
    while (waitpid(writer, &status, WNOHANG) == 0) {  // start again and again while it stores
        testsupport::ScriptedPlatform platform;
        app::Program copy(platform.services);
        ASSERT_TRUE(app::start_program(copy, story.folder.path())) << "start " << starts;
        ASSERT_TRUE(platform.dialogs.boxes.empty()) << platform.dialogs.boxes.front().text;
        app::close_main_window(copy);
        ++starts;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    long checked = 0;
    EXPECT_EQ(reliability::check_store_against_journal(story.folder.path(), checked),
              std::vector<std::string>{});
    EXPECT_EQ(checked, 150);
}

TEST(TwoCopies, ARefusedTextLetsTheOtherCopyStoreAtOnce) {
    testsupport::ProgramStory story;
    ASSERT_TRUE(story.start());
    testsupport::ScriptedPlatform otherPlatform;
    app::Program other(otherPlatform.services);
    ASSERT_TRUE(app::start_program(other, story.folder.path()));

    story.index(std::string(40000, 'w'));  // refused after numbering
    ASSERT_EQ(story.platform.dialogs.boxes.size(), 1u);

    other.frmMain.txtInput.text = reliability::document_text(6, 0);
    app::create_index(other);
    EXPECT_TRUE(otherPlatform.dialogs.boxes.empty());
    EXPECT_EQ(
        reliability::check_document(other.keys, other.text, 1, reliability::document_text(6, 0)),
        std::vector<std::string>{});
    story.index(reliability::document_text(6, 1));
    EXPECT_EQ(story.main().highestDocumentNumber, 2);
    app::close_main_window(other);
}

TEST(TwoCopies, PackRefusesWhileTheOtherCopyHasTheTablesOpen) {
    testsupport::ProgramStory story;
    ASSERT_TRUE(story.start());
    app::Program& first = story.p();
    for (std::uint32_t i = 0; i < 3; ++i)
        story.index(reliability::document_text(5, i));
    browse::do_delete(first, browse::kDeleteMode);  // document 3 is marked

    testsupport::ScriptedPlatform otherPlatform;
    app::Program other(otherPlatform.services);
    ASSERT_TRUE(app::start_program(other, story.folder.path()));
    otherPlatform.dialogs.answers.push_back(platform::Answer::Yes);
    app::pack_database(other);
    ASSERT_EQ(otherPlatform.dialogs.boxes.size(), 2u);
    EXPECT_EQ(otherPlatform.dialogs.boxes[1].text,
              app::cannot_open_message(first.frmMain.keysPath, false));
    EXPECT_TRUE(other.ended);
    EXPECT_EQ(other.exitCode, 1);
    if (other.engine != nullptr) app::close_main_window(other);

    // The first copy goes on as if nothing happened, and nothing was packed.
    story.index(reliability::document_text(5, 3));
    EXPECT_EQ(first.frmMain.highestDocumentNumber, 4);
    ASSERT_TRUE(story.start());
    EXPECT_EQ(reliability::document_numbers(story.p().text),
              (std::vector<std::int32_t>{1, 2, 3, 4}));
    for (std::uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(reliability::check_document(story.p().keys, story.p().text,
                                              static_cast<std::int32_t>(i + 1),
                                              reliability::document_text(5, i)),
                  std::vector<std::string>{});
    }
    EXPECT_EQ(reliability::check_table(story.p().keys), std::vector<std::string>{});
}

}  // namespace
