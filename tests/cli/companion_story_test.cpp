// The companion end to end: a folder of real texts added, searched, shown,
// deleted, restored and packed through the built vellumark-cli.
#include <filesystem>
#include <fstream>

#include "tests/cli/companion_story.h"

namespace clitest {
namespace {

TEST_F(CompanionStory, AddsAFolderOfTextsAndReportsEachRefusedFileByName) {
    {
        std::ofstream(texts() + "short.txt") << "  tiny  \n";
        std::ofstream(texts() + "picture.bin", std::ios::binary) << std::string("GIF\0\1\2", 6);
        std::ofstream(texts() + ".hidden") << "A hidden file is never taken from a folder.";
        std::filesystem::create_directories(texts() + "more/deeper");
        std::ofstream(texts() + "more/deeper/deep.txt") << "Only a recursive add finds this text.";
    }
    const Outcome added = cli({"add", texts(), texts() + "missing.txt"});
    EXPECT_EQ(added.status, 1);
    EXPECT_TRUE(holds(added.out, "Added 5 of 9 files: documents 1 to 6.")) << added.out;
    EXPECT_TRUE(holds(added.err, "GPL-3: Maximum text size of 32768 bytes exceeded.")) << added.err;
    EXPECT_TRUE(holds(added.err, "short.txt: Text must be at least 10 characters.")) << added.err;
    EXPECT_TRUE(holds(added.err, "picture.bin: not a text file")) << added.err;
    EXPECT_TRUE(holds(added.err, "missing.txt: no such file or folder")) << added.err;
    EXPECT_FALSE(holds(added.err, "\x1b[")) << "no progress bar off a terminal";

    const Outcome recursive = cli({"add", "--recursive", texts() + "more"});
    EXPECT_EQ(recursive.status, 0) << recursive.err;
    EXPECT_TRUE(holds(recursive.out, "Added 1 of 1 files: document 7.")) << recursive.out;

    const Outcome listed = cli({"list"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_TRUE(holds(listed.out, "       3   ")) << listed.out;
    EXPECT_TRUE(holds(listed.out, "Copyright (c) The Regents of the University of California."));
    EXPECT_FALSE(holds(listed.out, "       4 ")) << "the refused GPL-3 consumed number 4 only";

    // The drawer goes into the keyword records: a drawer search finds only these.
    const Outcome drawer = cli({"add", "--drawer", "Legal", texts() + "BSD"});
    EXPECT_EQ(drawer.status, 0) << drawer.err;
    EXPECT_TRUE(holds(drawer.out, "Added 1 of 1 files: document 8.")) << drawer.out;
    const Outcome inDrawer = cli({"search", "Regents", "--drawer", "legal"});
    EXPECT_EQ(inDrawer.status, 0);
    EXPECT_TRUE(holds(inDrawer.out, "       8   ")) << inDrawer.out;
    EXPECT_FALSE(holds(inDrawer.out, "       3   ")) << inDrawer.out;
}

TEST_F(CompanionStory, SearchesAsTheWindowDoesAndShowsTheTextAsStored) {
    add_real_texts();
    const Outcome found = cli({"search", "Regents"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_TRUE(holds(found.out, "       3   ")) << found.out;
    EXPECT_EQ(std::count(found.out.begin(), found.out.end(), '\n'), 1) << found.out;

    const Outcome json = cli({"search", "licens* software", "--json"});
    EXPECT_EQ(json.status, 0);
    EXPECT_TRUE(holds(json.out, R"("criteria": "UPPER(Keys) + STR(Items) = 'LICENS' .OR. )"
                                R"(UPPER(Keys) + STR(Items) = 'SOFTWARE '")"))
        << json.out;
    EXPECT_TRUE(holds(json.out, R"("optimized": "Y")"));
    EXPECT_TRUE(holds(json.out, R"("message": null)"));
    EXPECT_TRUE(holds(json.out, R"({"number": 3, "date": ")"));
    EXPECT_TRUE(holds(json.out, R"("deleted": false, "summary": "Copyright (c) The Regents)"));

    // Refusals and empty results carry the window's texts.
    const Outcome duplicate = cli({"search", "cat Cat", "--json"});
    EXPECT_EQ(duplicate.status, 1);
    EXPECT_TRUE(holds(duplicate.out, R"("hits": [], "count": 0)")) << duplicate.out;
    EXPECT_TRUE(
        holds(duplicate.out,
              R"("message": "The search string includes duplicate or overlapping keywords.")"));
    const Outcome nothing = cli({"search", "zebra"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "");
    EXPECT_TRUE(holds(nothing.err, "NO RECORD FOUND.  You may want to modify the Search String."));
    // Top Only: "Regents" stands among the first words of BSD, "warranties" does not.
    EXPECT_EQ(cli({"search", "Regents", "--header-only"}).status, 0);
    EXPECT_EQ(cli({"search", "warranties", "--header-only", "--header-size", "5"}).status, 1);
    EXPECT_EQ(cli({"search", "Regents", "--header-size", "1"}).status, 2);

    const Outcome shown = cli({"show", "3"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, testsupport::read_file(texts() + "BSD"));
    const Outcome absent = cli({"show", "4"});
    EXPECT_EQ(absent.status, 1);
    EXPECT_TRUE(holds(absent.err, "there is no document 4"));
}

TEST_F(CompanionStory, DeletesRestoresAndPacksOnlyWhenConfirmed) {
    add_real_texts();
    EXPECT_EQ(cli({"delete", "3"}).status, 0);
    EXPECT_TRUE(holds(cli({"list"}).out, "       3 * ")) << "marked in the list";
    EXPECT_TRUE(holds(cli({"search", "Regents", "--json"}).out, R"("number": 3, )"));
    EXPECT_TRUE(holds(cli({"search", "Regents", "--json"}).out, R"("deleted": true)"));
    const Outcome shownDeleted = cli({"show", "3"});
    EXPECT_EQ(shownDeleted.out, testsupport::read_file(texts() + "BSD"));
    EXPECT_TRUE(holds(shownDeleted.err, "document 3 is provisionally deleted"));

    EXPECT_EQ(cli({"undelete", "3"}).status, 0);
    EXPECT_TRUE(holds(cli({"list"}).out, "       3   "));
    const Outcome unknown = cli({"delete", "42"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(holds(unknown.err, "Cannot locate record."));

    EXPECT_EQ(cli({"delete", "3"}).status, 0);
    const Outcome refused = cli({"pack"});  // no terminal to ask, no --yes: No
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(holds(refused.err, "Are you sure you want to proceed? (no: there is no terminal"));
    EXPECT_TRUE(holds(cli({"list"}).out, "       3 * "));

    const Outcome packed = cli({"pack", "--yes"});
    EXPECT_EQ(packed.status, 0) << packed.err;
    EXPECT_TRUE(holds(packed.err, "Database Pack completed."));
    const Outcome listed = cli({"list", "--json"});
    EXPECT_TRUE(holds(listed.out, R"("count": 4)")) << listed.out;
    EXPECT_FALSE(holds(listed.out, R"("number": 3,)"));
    EXPECT_EQ(cli({"search", "Regents"}).status, 1) << "its keyword records went with it";
    EXPECT_EQ(cli({"check"}).status, 0);
}

TEST(CompanionCommandLine, HelpDocumentsTheExitStatusesAndWrongUseGivesTwo) {
    const Outcome help = run_program(VELLUMARK_CLI, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(holds(help.out, "Exit statuses:"));
    EXPECT_TRUE(holds(help.out, "3  check found damage"));
    EXPECT_EQ(run_program(VELLUMARK_CLI, {}).status, 2);
    EXPECT_EQ(run_program(VELLUMARK_CLI, {"show", "twelve"}).status, 2);
    EXPECT_EQ(run_program(VELLUMARK_CLI, {"frobnicate"}).status, 2);
}

}  // namespace
}  // namespace clitest
