// The real file's scattered read: the bytes land in their parts in order,
// however many parts (more than one system call takes) and empty ones among
// them, and a read that runs past the end of the file fails.
#include "xbase/file_io.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace xbase {
namespace {

class FileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/file_io_testXXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        file_ = fileSystem().create(dir_ + "/data.bin");
        ASSERT_NE(file_, nullptr);
        for (int i = 0; i < 5000; ++i)
            text_ += static_cast<char>('a' + i % 26 + (i / 26) % 7);
        ASSERT_TRUE(file_->write(0, text_.data(), text_.size()));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
    std::unique_ptr<File> file_;
    std::string text_;
};

TEST_F(FileIoTest, ScatteredReadsFillThePartsInOrder) {
    // 200 parts of 0 to 4 bytes: more than one preadv takes, empty ones included.
    std::vector<std::string> buffers;
    std::size_t total = 0;
    for (int i = 0; i < 200; ++i) {
        buffers.emplace_back(static_cast<std::size_t>(i % 5), '?');
        total += buffers.back().size();
    }
    std::vector<ReadPart> parts;
    for (std::string& b : buffers)
        parts.push_back(ReadPart{b.data(), b.size()});
    ASSERT_TRUE(file_->readParts(123, parts.data(), parts.size()));
    std::string joined;
    for (const std::string& b : buffers)
        joined += b;
    EXPECT_EQ(joined, text_.substr(123, total));
}

TEST_F(FileIoTest, AScatteredReadPastTheEndFails) {
    std::string head(10, '?'), tail(20, '?');
    ReadPart parts[] = {{head.data(), head.size()}, {tail.data(), tail.size()}};
    EXPECT_FALSE(file_->readParts(text_.size() - 25, parts, 2));
    EXPECT_TRUE(file_->readParts(text_.size() - 30, parts, 2));
    EXPECT_EQ(head + tail, text_.substr(text_.size() - 30));
    EXPECT_TRUE(file_->readParts(text_.size(), parts, 0)) << "nothing to read";
}

}  // namespace
}  // namespace xbase
