// A file system for the engine's fault tests: it passes every call to the
// real one, logs writes, syncs and the paths it creates, fails every write,
// sync, truncation and rename once its write budget is spent, and fails the
// reads of files whose path holds a given part once their read budget is.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/file_io.h"

namespace xbase_test {

class RecordingFileSystem final : public xbase::FileSystem {
  public:
    struct Op {
        char kind;  // 'w' write, 's' sync
        std::uint64_t offset;
    };

    RecordingFileSystem() : real_(xbase::fileSystem()) { xbase::setFileSystem(this); }
    ~RecordingFileSystem() override { xbase::setFileSystem(nullptr); }

    std::unique_ptr<xbase::File> open(const std::string& path, xbase::OpenMode mode) override {
        return wrap(real_.open(path, mode));
    }
    std::unique_ptr<xbase::File> create(const std::string& path) override {
        created.push_back(path);
        return wrap(real_.create(path));
    }
    bool exists(const std::string& path) override { return real_.exists(path); }
    bool remove(const std::string& path) override { return real_.remove(path); }
    bool rename(const std::string& from, const std::string& to) override {
        return !failing() && real_.rename(from, to);
    }

    bool failing() const { return writesLeft == 0; }
    bool readFails(const std::string& path) {
        if (failReadsOf.empty() || path.find(failReadsOf) == std::string::npos) return false;
        return readsLeft-- <= 0;
    }

    std::vector<Op> ops;
    std::vector<std::string> created;
    int writesLeft = -1;      // writes that still succeed; -1: no limit
    std::string failReadsOf;  // empty: no read fails
    int readsLeft = 0;        // reads of those files that still succeed

  private:
    class Wrapped final : public xbase::File {
      public:
        Wrapped(std::unique_ptr<xbase::File> inner, RecordingFileSystem& fs)
            : inner_(std::move(inner)), fs_(fs) {
            path_ = inner_->path();
        }
        bool read(std::uint64_t off, void* buf, std::size_t n) override {
            return !fs_.readFails(path_) && inner_->read(off, buf, n);
        }
        long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
            return fs_.readFails(path_) ? -1 : inner_->readSome(off, buf, n);
        }
        bool write(std::uint64_t off, const void* buf, std::size_t n) override {
            if (fs_.failing()) return false;
            if (fs_.writesLeft > 0) --fs_.writesLeft;
            fs_.ops.push_back({'w', off});
            return inner_->write(off, buf, n);
        }
        long long size() override { return inner_->size(); }
        bool truncate(std::uint64_t length) override {
            return !fs_.failing() && inner_->truncate(length);
        }
        bool sync() override {
            if (fs_.failing()) return false;
            fs_.ops.push_back({'s', 0});
            return inner_->sync();
        }
        bool lock(std::uint64_t off, std::uint64_t len, xbase::LockKind kind, bool wait) override {
            return inner_->lock(off, len, kind, wait);
        }
        bool unlock(std::uint64_t off, std::uint64_t len) override {
            return inner_->unlock(off, len);
        }

      private:
        std::unique_ptr<xbase::File> inner_;
        RecordingFileSystem& fs_;
    };

    std::unique_ptr<xbase::File> wrap(std::unique_ptr<xbase::File> inner) {
        return inner ? std::make_unique<Wrapped>(std::move(inner), *this) : nullptr;
    }

    xbase::FileSystem& real_;
};

}  // namespace xbase_test
