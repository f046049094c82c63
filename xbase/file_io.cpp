// The real file system behind File: POSIX descriptors with open-file-description
// locks (F_OFD_SETLK), which belong to the open file rather than the process.
#include "xbase/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace xbase {
namespace {

class PosixFile final : public File {
  public:
    PosixFile(int fd, const std::string& path) : fd_(fd) { path_ = path; }
    ~PosixFile() override { ::close(fd_); }

    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        return readSome(off, buf, n) == static_cast<long long>(n);
    }

    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        auto* out = static_cast<char*>(buf);
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, out + done, n - done, static_cast<off_t>(off + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (r == 0) break;
            done += static_cast<std::size_t>(r);
        }
        return static_cast<long long>(done);
    }

    bool readParts(std::uint64_t off, const ReadPart* parts, std::size_t count) override {
        constexpr std::size_t kBatch = 64;  // parts handed to one preadv at most
        std::size_t first = 0, done = 0;    // parts[first] holds its first done bytes
        for (;;) {
            while (first < count && done == parts[first].n) {
                ++first;
                done = 0;
            }
            if (first == count) return true;
            iovec io[kBatch];
            int n = 0;
            for (std::size_t i = first; i < count && n < static_cast<int>(kBatch); ++i, ++n) {
                const std::size_t skip = i == first ? done : 0;
                io[n] = {static_cast<char*>(parts[i].buf) + skip, parts[i].n - skip};
            }
            ssize_t r = ::preadv(fd_, io, n, static_cast<off_t>(off));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;  // an error, or the file ends before the parts do
            off += static_cast<std::uint64_t>(r);
            for (auto got = static_cast<std::size_t>(r); got > 0;) {
                const std::size_t take = std::min(got, parts[first].n - done);
                done += take;
                got -= take;
                if (done == parts[first].n) {
                    ++first;
                    done = 0;
                }
            }
        }
    }

    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        const auto* in = static_cast<const char*>(buf);
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, in + done, n - done, static_cast<off_t>(off + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            done += static_cast<std::size_t>(r);
        }
        return true;
    }

    long long size() override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return -1;
        return static_cast<long long>(st.st_size);
    }

    bool truncate(std::uint64_t length) override {
        return ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
    }

    bool sync() override { return ::fdatasync(fd_) == 0; }

    bool lock(std::uint64_t off, std::uint64_t len, LockKind kind, bool wait) override {
        return setLock(kind == LockKind::Shared ? F_RDLCK : F_WRLCK, off, len, wait);
    }

    bool unlock(std::uint64_t off, std::uint64_t len) override {
        return setLock(F_UNLCK, off, len, false);
    }

  private:
    bool setLock(short type, std::uint64_t off, std::uint64_t len, bool wait) {
        struct flock fl {};
        fl.l_type = type;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(off);
        fl.l_len = static_cast<off_t>(len);
        fl.l_pid = 0;  // required by OFD locks
        for (;;) {
            if (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
            if (errno != EINTR) return false;
        }
    }

    int fd_;
};

// Opens without access-time updates where the platform allows it (only the
// file's owner may ask): reads of a file being written would otherwise each
// update the inode, a journalled change.
int openFile(const std::string& path, int flags, mode_t mode = 0) {
#ifdef O_NOATIME
    const int fd = ::open(path.c_str(), flags | O_NOATIME, mode);
    if (fd >= 0 || errno != EPERM) return fd;
#endif
    return ::open(path.c_str(), flags, mode);
}

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        int flags = (mode == OpenMode::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC;
        int fd = openFile(path, flags);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixFile>(fd, path);
    }

    std::unique_ptr<File> create(const std::string& path) override {
        int fd = openFile(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixFile>(fd, path);
    }

    bool exists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0;
    }

    bool remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    bool rename(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
};

PosixFileSystem g_posix;
FileSystem* g_current = &g_posix;

}  // namespace

bool File::readParts(std::uint64_t off, const ReadPart* parts, std::size_t count) {
    for (std::size_t i = 0; i < count; off += parts[i].n, ++i) {
        if (!read(off, parts[i].buf, parts[i].n)) return false;
    }
    return true;
}

FileSystem& fileSystem() {
    return *g_current;
}

void setFileSystem(FileSystem* fs) {
    g_current = fs ? fs : &g_posix;
}

}  // namespace xbase
