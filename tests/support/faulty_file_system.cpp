// The fault-injecting file system: real files underneath, faults and the
// record of unsynced writes on top.
#include "tests/support/faulty_file_system.h"

#include <algorithm>

namespace testsupport {
namespace {

constexpr std::uint64_t kSector = 512;

std::string readAll(xbase::File& file) {
    long long size = file.size();
    std::string bytes(static_cast<std::size_t>(std::max(0LL, size)), '\0');
    long long got = bytes.empty() ? 0 : file.readSome(0, bytes.data(), bytes.size());
    bytes.resize(static_cast<std::size_t>(std::max(0LL, got)));
    return bytes;
}

void applyWrite(std::string& content, std::uint64_t offset, std::string_view bytes) {
    if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '\0');
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

class FaultyFile final : public xbase::File {
  public:
    FaultyFile(FaultyFileSystem& fs, std::unique_ptr<xbase::File> real,
               std::shared_ptr<FaultyFileSystem::Tracked> tracked)
        : fs_(fs), real_(std::move(real)), tracked_(std::move(tracked)) {
        path_ = real_->path();
    }

    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        return readable() && real_->read(off, buf, n);
    }
    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        return readable() ? real_->readSome(off, buf, n) : -1;
    }
    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        if (!fs_.mayWrite(n)) return false;
        if (!fs_.cut_) {
            tracked_->pending.push_back(
                {false, off, std::string(static_cast<const char*>(buf), n)});
        }
        fs_.countWrite();
        return real_->write(off, buf, n);
    }
    long long size() override { return real_->size(); }
    bool truncate(std::uint64_t length) override {
        long long now = real_->size();
        if (now >= 0 && length > static_cast<std::uint64_t>(now) &&
            !fs_.mayWrite(length - static_cast<std::uint64_t>(now)))
            return false;
        if (!fs_.cut_) tracked_->pending.push_back({true, length, {}});
        return real_->truncate(length);
    }
    bool sync() override {
        if (!fs_.cut_) {
            tracked_->durable = readAll(*real_);
            tracked_->pending.clear();
        }
        fs_.countWrite();
        return true;  // durability is modelled here; the real disk need not wait
    }
    bool lock(std::uint64_t off, std::uint64_t len, xbase::LockKind kind, bool wait) override {
        return real_->lock(off, len, kind, wait);
    }
    bool unlock(std::uint64_t off, std::uint64_t len) override { return real_->unlock(off, len); }

  private:
    bool readable() const {
        return fs_.failReads_.empty() || path_.find(fs_.failReads_) == std::string::npos;
    }

    FaultyFileSystem& fs_;
    std::unique_ptr<xbase::File> real_;
    std::shared_ptr<FaultyFileSystem::Tracked> tracked_;
};

FaultyFileSystem::FaultyFileSystem() : real_(xbase::fileSystem()) {
    xbase::setFileSystem(this);
}

FaultyFileSystem::~FaultyFileSystem() {
    xbase::setFileSystem(&real_ == this ? nullptr : &real_);
}

std::shared_ptr<FaultyFileSystem::Tracked> FaultyFileSystem::track(const std::string& path,
                                                                   bool fresh) {
    auto& slot = files_[path];
    if (!slot || fresh) {
        slot = std::make_shared<Tracked>();
        if (!fresh) {
            if (auto file = real_.open(path, xbase::OpenMode::ReadOnly))
                slot->durable = readAll(*file);
        }
    }
    return slot;
}

std::unique_ptr<xbase::File> FaultyFileSystem::open(const std::string& path, xbase::OpenMode mode) {
    if (readOnly_ && mode == xbase::OpenMode::ReadWrite) return nullptr;
    auto real = real_.open(path, mode);
    if (!real) return nullptr;
    return std::make_unique<FaultyFile>(*this, std::move(real), track(path, false));
}

std::unique_ptr<xbase::File> FaultyFileSystem::create(const std::string& path) {
    if (readOnly_ || !mayWrite(0)) return nullptr;
    auto real = real_.create(path);
    if (!real) return nullptr;
    return std::make_unique<FaultyFile>(*this, std::move(real), track(path, true));
}

bool FaultyFileSystem::exists(const std::string& path) {
    return real_.exists(path);
}

bool FaultyFileSystem::remove(const std::string& path) {
    if (readOnly_) return false;
    if (!cut_) files_.erase(path);
    return real_.remove(path);
}

bool FaultyFileSystem::rename(const std::string& from, const std::string& to) {
    if (readOnly_) return false;
    if (!real_.rename(from, to)) return false;
    if (!cut_) {
        auto it = files_.find(from);
        if (it != files_.end()) {
            files_[to] = it->second;
            files_.erase(it);
        }
    }
    return true;
}

bool FaultyFileSystem::mayWrite(std::uint64_t bytes) {
    if (writeBudget_ < 0) return true;
    if (static_cast<long long>(bytes) > writeBudget_) {
        writeBudget_ = 0;
        return false;
    }
    writeBudget_ -= static_cast<long long>(bytes);
    return true;
}

void FaultyFileSystem::countWrite() {
    ++writes_;
    if (cutAt_ >= 0 && writes_ >= cutAt_) cut_ = true;
}

void FaultyFileSystem::cutPowerAfter(long long writes) {
    cutAt_ = writes < 0 ? -1 : writes_ + writes;
    cut_ = writes == 0;
}

void FaultyFileSystem::settleAfterPowerLoss(Loss loss, std::mt19937& random) {
    std::uniform_int_distribution<int> choice(0, 2);
    for (auto& [path, tracked] : files_) {
        std::string content = tracked->durable;
        for (const Op& op : tracked->pending) {
            if (loss == Loss::DropUnsynced) break;
            int kept = choice(random);  // 0: lost, 1: whole, 2: torn
            if (kept == 0) continue;
            if (op.truncate) {
                content.resize(op.offset, '\0');
                continue;
            }
            if (kept == 1) {
                applyWrite(content, op.offset, op.bytes);
                continue;
            }
            std::uint64_t at = op.offset;
            const std::uint64_t end = op.offset + op.bytes.size();
            while (at < end) {
                std::uint64_t next = std::min(end, (at / kSector + 1) * kSector);
                if (choice(random) != 0)
                    applyWrite(content, at,
                               std::string_view(op.bytes).substr(at - op.offset, next - at));
                at = next;
            }
        }
        if (auto file = real_.create(path)) {
            file->write(0, content.data(), content.size());
            file->sync();
        }
        tracked->durable = std::move(content);
        tracked->pending.clear();
    }
    cut_ = false;
    cutAt_ = -1;
}

}  // namespace testsupport
