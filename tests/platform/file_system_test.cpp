// File patterns, the mounts table, the local file system and dates.
#include "platform/local_file_system.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <tuple>

#include "platform/civil_date.h"
#include "tests/support/scripted_platform.h"

namespace {

using namespace platform;

TEST(FilePattern, WildcardsCaseTheStarDotStarRuleAndTrailingSeparators) {
    // clang-format off
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"notes.txt", "*.txt", true}, {"NOTES.TXT", "*.txt", true},
        {"notes.txt.bak", "*.txt", false}, {"txt", "*.txt", false}, {"README", "*.*", true},
        {"a.b.c", "*.*", true}, {"report", "report.*", true}, {"ab.txt", "a?.t*", true},
        {"a.txt", "a?.t*", false}, {"", "*", true}};
    // clang-format on
    for (const auto& [name, pattern, matches] : cases)
        EXPECT_EQ(matchesPattern(name, pattern), matches) << name << " " << pattern;
    // Backtracking stays bounded on a pathological pattern.
    EXPECT_FALSE(matchesPattern(std::string(5000, 'a'), std::string(100, '*') + "b"));
    // Folder names get their trailing separator.
    EXPECT_EQ(withTrailingSeparator("/home/a"), "/home/a/");
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(withTrailingSeparator(""), "/");
}

TEST(Mounts, KeepsVolumesAndDropsPseudoFileSystems) {
    const std::string table =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "/dev/sdb1 /media/USB\\040Stick vfat rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "garbage\n\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "x relative ext4 rw 0 0";
    EXPECT_EQ(parseMounts(table), (std::vector<std::string>{"/", "/home", "/media/USB Stick"}));
    EXPECT_FALSE(LocalFileSystem().drives().empty());
}

TEST(LocalFiles, ListsVisibleFoldersAndMatchingFilesSorted) {
    testsupport::TempFolder folder;
    namespace fs = std::filesystem;
    for (const char* name : {"beta", "Alpha", ".hidden"})
        fs::create_directory(folder.file(name));
    LocalFileSystem files;
    for (const char* name : {"b.txt", "a.TXT", "c.doc", ".secret.txt", "noext"}) {
        ASSERT_TRUE(files.writeFile(folder.file(name), "x").ok);
    }
    EXPECT_EQ(files.directories(folder.path()), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(files.files(folder.path(), "*.txt"), (std::vector<std::string>{"a.TXT", "b.txt"}));
    EXPECT_EQ(files.files(folder.path(), "*.*"),
              (std::vector<std::string>{"a.TXT", "b.txt", "c.doc", "noext"}));
    EXPECT_TRUE(files.files(folder.file("missing"), "*.*").empty());
    EXPECT_TRUE(files.directories(folder.file("missing")).empty());
}

TEST(LocalFiles, LengthCopyReadAndWriteAndFailuresWithTheSystemsDescription) {
    testsupport::TempFolder folder;
    LocalFileSystem files;
    const std::string bytes("line\r\n\0\xFF end", 12);
    EXPECT_EQ(files.fileLength(folder.file("a")), -1);
    EXPECT_FALSE(files.exists(folder.file("a")));
    ASSERT_TRUE(files.writeFile(folder.file("a"), bytes).ok);
    EXPECT_EQ(files.fileLength(folder.file("a")), 12);
    ASSERT_TRUE(files.writeFile(folder.file("empty"), "").ok);
    EXPECT_EQ(files.fileLength(folder.file("empty")), 0);
    EXPECT_EQ(files.fileLength(folder.path()), -1);  // a folder has no file length
    ASSERT_TRUE(files.copyFile(folder.file("a"), folder.file("empty")).ok);
    EXPECT_EQ(files.readFile(folder.file("empty")).bytes, bytes);
    ASSERT_TRUE(files.writeFile(folder.file("a"), "short").ok);  // replaces, not appends
    EXPECT_EQ(files.readFile(folder.file("a")).bytes, "short");

    // Failures carry the system's description.
    FileResult write = files.writeFile(folder.file("no/such/file.txt"), "x");
    EXPECT_FALSE(write.ok);
    EXPECT_EQ(write.error, "No such file or directory");
    ReadResult read = files.readFile(folder.file("missing.txt"));
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, "No such file or directory");
    EXPECT_FALSE(files.readFile(folder.path()).ok);
    EXPECT_FALSE(files.copyFile(folder.file("missing"), folder.file("b")).ok);
    EXPECT_FALSE(files.exists(folder.file("b")));
}

TEST(Dates, ValidityFollowsTheGregorianCalendarShortDatesTheLocale) {
    for (const CivilDate& date : {CivilDate{2024, 2, 29}, {2000, 2, 29}, localToday()})
        EXPECT_TRUE(isValidDate(date)) << date.year << "-" << date.month << "-" << date.day;
    // clang-format off
    const CivilDate invalid[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 4, 31}, {2024, 13, 1},
                                 {2024, 0, 1}, {99, 1, 1}, {10000, 1, 1}};
    // clang-format on
    for (const CivilDate& date : invalid)
        EXPECT_FALSE(isValidDate(date)) << date.year << "-" << date.month << "-" << date.day;
    // The short date uses the C locale's format.
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(localShortDate({2024, 3, 5}), "03/05/24");
    EXPECT_EQ(localShortDate({2024, 2, 30}), "");
}

}  // namespace
