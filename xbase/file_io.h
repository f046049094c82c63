// The engine's only door to the file system: positioned reads and writes,
// size, truncate, sync and advisory byte-range locks on one open file.
//
// Every engine file (DBF, FPT, CDX) goes through a File, so a test can put a
// fault-injecting FileSystem in place of the real one and drop or tear writes.
// Nothing here throws; failures are reported through return values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace xbase {

enum class LockKind { Shared, Exclusive };

// One destination of a scattered read.
struct ReadPart {
    void* buf;
    std::size_t n;
};

class File {
  public:
    virtual ~File() = default;
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads exactly n bytes at off; false on error or when the file is shorter.
    virtual bool read(std::uint64_t off, void* buf, std::size_t n) = 0;
    // Reads up to n bytes at off; returns the count read (0 at or past the end, -1 on error).
    virtual long long readSome(std::uint64_t off, void* buf, std::size_t n) = 0;
    // Reads the consecutive bytes at off into parts, one after the other (in
    // one system call where the platform allows); false on error or when the
    // file is shorter than their total. This default reads part by part.
    virtual bool readParts(std::uint64_t off, const ReadPart* parts, std::size_t count);
    virtual bool write(std::uint64_t off, const void* buf, std::size_t n) = 0;
    // Current length in bytes, or -1 on error.
    virtual long long size() = 0;
    virtual bool truncate(std::uint64_t length) = 0;
    // Makes every write so far durable (the flush barrier of the engine).
    virtual bool sync() = 0;

    // Advisory locks on [off, off+len). They belong to this open file, not to
    // the process, so two handles on one file exclude each other like two
    // processes do. With wait false a conflicting lock fails at once.
    virtual bool lock(std::uint64_t off, std::uint64_t len, LockKind kind, bool wait) = 0;
    virtual bool unlock(std::uint64_t off, std::uint64_t len) = 0;

    const std::string& path() const { return path_; }

  protected:
    std::string path_;
};

enum class OpenMode { ReadOnly, ReadWrite };

// Creates and opens files. The process-wide instance is the real file system
// unless a test installs another with setFileSystem().
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens an existing file; nullptr when it does not exist or cannot be opened.
    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode) = 0;
    // Creates (or truncates) a file for reading and writing.
    virtual std::unique_ptr<File> create(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Replaces `to` with `from` in one step where the platform allows it.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
};

FileSystem& fileSystem();
// Installs fs for the whole process (tests); nullptr restores the real one.
// The caller keeps ownership and must keep fs alive while it is installed.
void setFileSystem(FileSystem* fs);

}  // namespace xbase
