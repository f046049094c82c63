// Failing writes under the engine API: a flush that cannot write reports it
// (never success), keeps what it could not write, and a later flush finishes
// the job. The real file system is wrapped by one whose writes can be made to fail.
#include <gtest/gtest.h>

#include "d4_test_tables.h"
#include "xbase/file_io.h"

namespace xbase {
namespace {

using xbase_test::appendKey;
using xbase_test::Engine;
using xbase_test::TempDir;

class FailingFile final : public File {
  public:
    FailingFile(std::unique_ptr<File> inner, const bool& fail)
        : inner_(std::move(inner)), fail_(fail) {
        path_ = inner_->path();
    }
    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        return inner_->read(off, buf, n);
    }
    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        return inner_->readSome(off, buf, n);
    }
    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        return !fail_ && inner_->write(off, buf, n);
    }
    long long size() override { return inner_->size(); }
    bool truncate(std::uint64_t length) override { return !fail_ && inner_->truncate(length); }
    bool sync() override { return !fail_ && inner_->sync(); }
    bool lock(std::uint64_t off, std::uint64_t len, LockKind kind, bool wait) override {
        return inner_->lock(off, len, kind, wait);
    }
    bool unlock(std::uint64_t off, std::uint64_t len) override { return inner_->unlock(off, len); }

  private:
    std::unique_ptr<File> inner_;
    const bool& fail_;
};

class FailingFileSystem final : public FileSystem {
  public:
    FailingFileSystem() : real_(fileSystem()) { setFileSystem(this); }
    ~FailingFileSystem() override { setFileSystem(nullptr); }
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        auto f = real_.open(path, mode);
        return f ? std::make_unique<FailingFile>(std::move(f), failWrites) : nullptr;
    }
    std::unique_ptr<File> create(const std::string& path) override {
        auto f = real_.create(path);
        return f ? std::make_unique<FailingFile>(std::move(f), failWrites) : nullptr;
    }
    bool exists(const std::string& path) override { return real_.exists(path); }
    bool remove(const std::string& path) override { return real_.remove(path); }
    bool rename(const std::string& from, const std::string& to) override {
        return !failWrites && real_.rename(from, to);
    }
    bool failWrites = false;

  private:
    FileSystem& real_;
};

TEST(D4Fault, AFlushThatCannotWriteSaysSoAndALaterOneFinishes) {
    TempDir dir;
    FailingFileSystem fs;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_TRUE(keys);
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(appendKey(keys, "w" + std::to_string(i), i, i), 0);
    fs.failWrites = true;
    EXPECT_EQ(d4flush(keys), rc::kWrite);
    EXPECT_EQ(code4errorCode(code, 0), rc::kWrite);
    EXPECT_EQ(d4pack(keys), rc::kWrite);  // nothing is renamed over the table
    fs.failWrites = false;
    ASSERT_EQ(d4flush(keys), 0);
    ASSERT_EQ(d4close(keys), 0);
    keys = d4open(code, dir.file("Keys.dbf").c_str());
    ASSERT_TRUE(keys);
    EXPECT_EQ(d4recCountDo(keys), 20);
    ASSERT_EQ(d4tagSelect(keys, d4tag(keys, "KEYITEMS")), 0);
    EXPECT_EQ(d4seek(keys, "W17"), 0);
    EXPECT_EQ(d4recNo(keys), 17);
}

TEST(D4Fault, AChangeThatCannotBeWrittenIsReportedAndDropped) {
    TempDir dir;
    FailingFileSystem fs;
    Engine code;
    Data4* keys = xbase_test::createKeys(code, dir.file("Keys.dbf"));
    ASSERT_EQ(appendKey(keys, "word", 1, 1), 0);
    ASSERT_EQ(d4flush(keys), 0);
    ASSERT_EQ(d4delete(keys), 0);
    fs.failWrites = true;
    EXPECT_EQ(d4skip(keys, 1), rc::kWrite);  // the record cannot be written: no move
    fs.failWrites = false;
    EXPECT_EQ(d4recNo(keys), 1);
    EXPECT_EQ(d4deleted(keys), 0);  // the change was dropped whole
    ASSERT_EQ(d4goTo(keys, 1), 0);
    EXPECT_EQ(d4deleted(keys), 0);
}

}  // namespace
}  // namespace xbase
