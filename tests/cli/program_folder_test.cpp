// The choice of the program folder: beside a writable executable that holds
// the program's files, the user's data folder for an installed program, and
// --folder over both; the chosen folder is given the spare copies.
#include "app/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/scripted_platform.h"

namespace {

namespace fs = std::filesystem;

class ProgramFolder : public ::testing::Test {
  protected:
    // A program's files (five spare copies and the help file) in folder.
    void lay_out_program_files(const std::string& at) {
        fs::create_directories(at);
        for (const char* name : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"})
            std::ofstream(at + "/" + name) << name;
        std::ofstream(at + "/vellumark.hlp") << "help";
    }

    testsupport::TempFolder folder;
};

TEST_F(ProgramFolder, AnInstalledProgramKeepsItsStoreInTheUserDataFolderByTheBaseRules) {
    lay_out_program_files(folder.file("usr/share/vellumark"));
    fs::create_directories(folder.file("usr/bin"));
    EXPECT_EQ(app::installed_files_folder(folder.file("usr/bin")),
              folder.file("usr/share/vellumark"));

    const std::string chosen = app::choose_program_folder(
        {folder.file("usr/bin"), "", folder.file("xdg"), folder.file("home")});
    EXPECT_EQ(chosen, folder.file("xdg/vellumark/"));
    EXPECT_EQ(testsupport::read_file(chosen + "Text.xx3"), "Text.xx3")
        << "the first start copies the spare copies";
    EXPECT_TRUE(fs::exists(chosen + "vellumark.hlp"));

    // A spare copy the user's folder has already is left alone.
    std::ofstream(chosen + "Keys.xx1") << "kept";
    app::choose_program_folder(
        {folder.file("usr/bin"), "", folder.file("xdg"), folder.file("home")});
    EXPECT_EQ(testsupport::read_file(chosen + "Keys.xx1"), "kept");

    // The data folder follows the base directory rules.
    EXPECT_EQ(app::user_data_folder("/data", "/home/ann"), "/data/vellumark");
    EXPECT_EQ(app::user_data_folder("", "/home/ann"), "/home/ann/.local/share/vellumark");
    EXPECT_EQ(app::user_data_folder("relative/data", "/home/ann"),
              "/home/ann/.local/share/vellumark")
        << "a relative XDG_DATA_HOME is ignored";
}

TEST_F(ProgramFolder, AProgramBesideItsFilesUsesItsOwnFolderAndFolderOverridesAll) {
    lay_out_program_files(folder.file("build/bin"));
    EXPECT_EQ(app::choose_program_folder(
                  {folder.file("build/bin"), "", folder.file("xdg"), folder.file("home")}),
              folder.file("build/bin/"));
    EXPECT_FALSE(fs::exists(folder.file("xdg")));

    const std::string chosen = app::choose_program_folder(
        {folder.file("build/bin"), folder.file("mine"), folder.file("xdg"), folder.file("home")});
    EXPECT_EQ(chosen, folder.file("mine/"));
    EXPECT_TRUE(fs::exists(chosen + "Keys.xx2")) << "a new folder gets the spare copies";

    // Without any program files nearby, nothing is copied and nothing fails.
    EXPECT_EQ(app::installed_files_folder(folder.file("nowhere")), "");
    EXPECT_EQ(app::choose_program_folder({folder.file("nowhere"), "", folder.file("xdg"), ""}),
              folder.file("xdg/vellumark/"));
}

}  // namespace
