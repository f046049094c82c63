// The table lock scheme (see locks.h).
#include "xbase/locks.h"

#include <chrono>
#include <thread>

#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr std::uint64_t kAccessByte = 0x100000000ULL;
constexpr std::uint64_t kIndexHeaderByte = 0x7FFFFFFE;
constexpr std::uint64_t kIndexFileStart = 0x77FFFFFF, kIndexFileLength = 0x07FFFFFF;
constexpr std::uint64_t kPlainHeaderByte = 0x40000000;
constexpr std::uint64_t kPlainFileStart = 0x40000001, kPlainFileLength = 0x3FFFFFFD;

}  // namespace

TableLocks::TableLocks(File& dbf, bool productionIndex, std::uint32_t headerLength,
                       int recordLength)
    : dbf_(dbf),
      indexScheme_(productionIndex),
      headerLength_(headerLength),
      recordLength_(recordLength) {}

std::uint64_t TableLocks::recordByte(std::uint32_t recno) const {
    if (indexScheme_) return kIndexHeaderByte - recno;
    return kPlainHeaderByte + headerLength_ +
           std::uint64_t(recno - 1) * std::uint64_t(recordLength_);
}

short TableLocks::openAccess(bool denyWrite) {
    LockKind kind = denyWrite ? LockKind::Exclusive : LockKind::Shared;
    return dbf_.lock(kAccessByte, 1, kind, false) ? rc::kSuccess : rc::kAccess;
}

short TableLocks::lockRecord(std::uint32_t recno) {
    if (canChange(recno)) return rc::kSuccess;
    if (!dbf_.lock(recordByte(recno), 1, LockKind::Exclusive, false)) return rc::kLocked;
    records_.insert(recno);
    return rc::kSuccess;
}

void TableLocks::unlockRecord(std::uint32_t recno) {
    appended_.erase(recno);
    if (records_.erase(recno) != 0) dbf_.unlock(recordByte(recno), 1);
}

void TableLocks::publish() {
    for (std::uint32_t recno : appended_)
        if (dbf_.lock(recordByte(recno), 1, LockKind::Exclusive, false)) records_.insert(recno);
    appended_.clear();
}

short TableLocks::lockFile() {
    if (file_) return rc::kSuccess;
    bool ok = indexScheme_
                  ? dbf_.lock(kIndexFileStart, kIndexFileLength, LockKind::Exclusive, false)
                  : dbf_.lock(kPlainFileStart, kPlainFileLength, LockKind::Exclusive, false);
    if (!ok) return rc::kLocked;
    file_ = true;
    return rc::kSuccess;
}

short TableLocks::lockAppend(int waitMs) {
    if (append_) return rc::kSuccess;
    std::uint64_t byte = indexScheme_ ? kIndexHeaderByte : kPlainHeaderByte;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!dbf_.lock(byte, 1, LockKind::Exclusive, false)) {
        if (std::chrono::steady_clock::now() >= deadline) return rc::kLocked;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    append_ = true;
    return rc::kSuccess;
}

void TableLocks::unlockAppend() {
    if (!append_) return;
    dbf_.unlock(indexScheme_ ? kIndexHeaderByte : kPlainHeaderByte, 1);
    append_ = false;
}

void TableLocks::unlockRecordsAndFile() {
    if (file_) {
        if (indexScheme_)
            dbf_.unlock(kIndexFileStart, kIndexFileLength);
        else
            dbf_.unlock(kPlainFileStart, kPlainFileLength);
        file_ = false;
    }
    for (std::uint32_t recno : records_)
        dbf_.unlock(recordByte(recno), 1);
    records_.clear();
    appended_.clear();
}

}  // namespace xbase
