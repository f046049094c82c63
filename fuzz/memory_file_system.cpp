// The in-memory file system of the fuzz targets.
#include "fuzz/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace fuzzing {
namespace {

constexpr std::uint64_t kLargest = 4u << 20;

class MemoryFile final : public xbase::File {
  public:
    MemoryFile(const std::string& path, std::shared_ptr<std::string> bytes, bool writable)
        : bytes_(std::move(bytes)), writable_(writable) {
        path_ = path;
    }
    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        return readSome(off, buf, n) == static_cast<long long>(n);
    }
    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        if (off >= bytes_->size()) return 0;
        const std::size_t got = std::min<std::size_t>(n, bytes_->size() - off);
        std::memcpy(buf, bytes_->data() + off, got);
        return static_cast<long long>(got);
    }
    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        // Files past 4 MiB are refused: a damaged header must not make a run
        // allocate gigabytes (the sample store's files are far smaller).
        if (!writable_ || off + n > kLargest) return false;
        if (bytes_->size() < off + n) bytes_->resize(off + n, '\0');
        std::memcpy(bytes_->data() + off, buf, n);
        return true;
    }
    long long size() override { return static_cast<long long>(bytes_->size()); }
    bool truncate(std::uint64_t length) override {
        if (!writable_ || length > kLargest) return false;
        bytes_->resize(length, '\0');
        return true;
    }
    bool sync() override { return true; }
    bool lock(std::uint64_t, std::uint64_t, xbase::LockKind, bool) override { return true; }
    bool unlock(std::uint64_t, std::uint64_t) override { return true; }

  private:
    std::shared_ptr<std::string> bytes_;
    bool writable_;
};

}  // namespace

std::unique_ptr<xbase::File> MemoryFileSystem::open(const std::string& path, xbase::OpenMode mode) {
    auto it = files_.find(path);
    if (it == files_.end()) return nullptr;
    return std::make_unique<MemoryFile>(path, it->second, mode == xbase::OpenMode::ReadWrite);
}

std::unique_ptr<xbase::File> MemoryFileSystem::create(const std::string& path) {
    auto bytes = std::make_shared<std::string>();
    files_[path] = bytes;
    return std::make_unique<MemoryFile>(path, bytes, true);
}

bool MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    auto it = files_.find(from);
    if (it == files_.end()) return false;
    files_[to] = it->second;
    files_.erase(from);
    return true;
}

void MemoryFileSystem::put(const std::string& path, std::string bytes) {
    files_[path] = std::make_shared<std::string>(std::move(bytes));
}

MemoryFileSystem& memoryFiles() {
    static MemoryFileSystem* files = [] {
        auto* fs = new MemoryFileSystem();
        xbase::setFileSystem(fs);
        return fs;
    }();
    return *files;
}

}  // namespace fuzzing
