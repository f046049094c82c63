// The fault-injecting file system itself: what a power loss leaves of synced
// and unsynced writes, and the faults it injects on request.
#include "tests/support/faulty_file_system.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_platform.h"

namespace {

using testsupport::FaultyFileSystem;

// A file with 1024 synced bytes 'A', then 1536 unsynced bytes 'B' over and
// past them, then the power goes.
std::string after_loss(FaultyFileSystem::Loss loss, std::uint32_t seed) {
    testsupport::TempFolder folder;
    FaultyFileSystem fs;
    {
        auto file = xbase::fileSystem().create(folder.file("f.dat"));
        file->write(0, std::string(1024, 'A').data(), 1024);
        file->sync();
        file->write(0, std::string(1536, 'B').data(), 1536);
        fs.cutPowerAfter(0);
        file->write(0, std::string(2048, 'C').data(), 2048);  // after the cut: never on disk
    }
    std::mt19937 random(seed);
    fs.settleAfterPowerLoss(loss, random);
    return testsupport::read_file(folder.file("f.dat"));
}

TEST(FaultyFileSystem, APowerLossDropsOrTearsOnlyWhatWasNotSynced) {
    EXPECT_EQ(after_loss(FaultyFileSystem::Loss::DropUnsynced, 1), std::string(1024, 'A'));
    bool torn = false;
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        const std::string bytes = after_loss(FaultyFileSystem::Loss::TearUnsynced, seed);
        ASSERT_TRUE(bytes.size() == 1024 || bytes.size() == 1536) << bytes.size();
        for (std::size_t sector = 0; sector < bytes.size(); sector += 512) {
            const std::string piece = bytes.substr(sector, 512);
            const char first = piece[0];
            EXPECT_EQ(piece, std::string(piece.size(), first)) << "a sector is never split";
            EXPECT_TRUE(sector < 1024 ? first == 'A' || first == 'B' : first != 'C') << sector;
            torn = torn || (sector > 0 && first != bytes[0]);
        }
    }
    EXPECT_TRUE(torn) << "some losses keep part of a write";
}

TEST(FaultyFileSystem, AFullDiskFailsWritesAndGrowthAndAReadOnlyFolderOpensNothingForWriting) {
    testsupport::TempFolder folder;
    FaultyFileSystem fs;
    auto file = xbase::fileSystem().create(folder.file("f.dat"));
    fs.setWriteBudget(100);
    EXPECT_TRUE(file->write(0, std::string(60, 'x').data(), 60));
    EXPECT_FALSE(file->write(60, std::string(60, 'y').data(), 60));
    EXPECT_FALSE(file->truncate(4096));
    EXPECT_EQ(file->size(), 60);
    fs.setWriteBudget(-1);

    fs.failReadsOf("f.dat");
    char byte = 0;
    EXPECT_FALSE(file->read(0, &byte, 1));
    fs.failReadsOf("");
    EXPECT_TRUE(file->read(0, &byte, 1));

    fs.setReadOnly(true);
    EXPECT_EQ(xbase::fileSystem().open(folder.file("f.dat"), xbase::OpenMode::ReadWrite), nullptr);
    EXPECT_NE(xbase::fileSystem().open(folder.file("f.dat"), xbase::OpenMode::ReadOnly), nullptr);
    EXPECT_EQ(xbase::fileSystem().create(folder.file("g.dat")), nullptr);
}

}  // namespace
