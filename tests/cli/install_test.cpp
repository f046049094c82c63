// The install: the build laid out under a temporary prefix, and the
// installed companion started from there with an empty data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/cli/run_program.h"
#include "tests/support/scripted_platform.h"

namespace clitest {
namespace {

namespace fs = std::filesystem;

TEST(Install, LaysOutTheProgramsAndStartsWithAnEmptyDataFolder) {
    testsupport::TempFolder folder;
    const std::string prefix = folder.file("prefix");
    const Outcome installed = run_program(VELLUMARK_CMAKE_COMMAND,
                                          {"--install", VELLUMARK_BINARY_DIR, "--prefix", prefix});
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;

    for (const char* file :
         {"bin/vellumark-cli", "share/vellumark/Keys.xx1", "share/vellumark/Keys.xx2",
          "share/vellumark/Text.xx1", "share/vellumark/Text.xx2", "share/vellumark/Text.xx3",
          "share/vellumark/vellumark.hlp"})
        EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
    if (fs::exists(prefix + "/bin/vellumark")) {  // built with the window
        const std::string entry =
            testsupport::read_file(prefix + "/share/applications/vellumark.desktop");
        EXPECT_NE(entry.find("Exec=vellumark\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("Icon=vellumark\n"), std::string::npos);
        EXPECT_TRUE(
            fs::is_regular_file(prefix + "/share/icons/hicolor/scalable/apps/vellumark.svg"));
    }

    // The installed companion keeps its store in $XDG_DATA_HOME/vellumark,
    // which its first start fills from the spare copies of the install.
    const std::string program = prefix + "/bin/vellumark-cli";
    const std::string dataHome = folder.file("data"), home = folder.file("home");
    const Environment environment{{"XDG_DATA_HOME", dataHome}, {"HOME", home}};
    { std::ofstream(folder.file("note.txt")) << "The installed companion indexes this note.\n"; }
    const Outcome added = run_program(program, {"add", folder.file("note.txt")}, environment);
    EXPECT_EQ(added.status, 0) << added.err;
    for (const char* file : {"Keys.xx1", "Text.xx3", "vellumark.hlp", "Keys.dbf", "Text.fpt"})
        EXPECT_TRUE(fs::is_regular_file(dataHome + "/vellumark/" + file)) << file;
    const Outcome found = run_program(program, {"search", "installed"}, environment);
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_NE(found.out.find("The installed companion indexes this note."), std::string::npos);

    // Without XDG_DATA_HOME the data folder is ~/.local/share/vellumark.
    const Outcome listed =
        run_program(program, {"list"}, {{"XDG_DATA_HOME", std::nullopt}, {"HOME", home}});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "");
    EXPECT_TRUE(fs::is_regular_file(home + "/.local/share/vellumark/Keys.dbf"));
}

}  // namespace
}  // namespace clitest
