// Locks and durability of a table: record and file locks, the structure lock
// (append lock plus index write lock) held from the first change to the
// flush, and the flush itself in its crash-safe order.
#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {
// The record count an index is marked with while records it describes are
// being rewritten: no table has it, so a crash in between forces a rebuild.
constexpr std::uint32_t kMatchesNoTable = 0xFFFFFFFFu;
}  // namespace

short Data4::acquireStructure() {
    if (structureHeld_) return rc::kSuccess;
    short err = locks_->lockAppend(code_.appendLockWaitMs);
    if (err != rc::kSuccess) return err;
    // Another handle may have appended, or changed memos or the index, since
    // this one last looked.
    if ((err = dbf_->refresh()) != rc::kSuccess ||
        (fpt_ && (err = fpt_->refresh()) != rc::kSuccess) ||
        (cdx_ && (err = cdx_->lockForWrite()) != rc::kSuccess)) {
        locks_->unlockAppend();
        return err;
    }
    structureHeld_ = true;
    cursorPlaced_ = false;
    return rc::kSuccess;
}

short Data4::markIndexUnmatched() {
    if (indexUnmatched_ || !cdx_) return rc::kSuccess;
    short err = cdx_->flush(kMatchesNoTable, code_.syncOnFlush);
    indexUnmatched_ = err == rc::kSuccess;
    return err;
}

short Data4::flushFiles() {
    const bool sync = code_.syncOnFlush;
    if (!structureHeld_) {  // only records written in place: already in the file
        if (sync && !dbf_->file().sync()) return report(rc::kWrite, "Cannot sync " + dbfPath_);
        return rc::kSuccess;
    }
    short err = dbf_->flush(sync);
    if (err == rc::kSuccess && fpt_) err = fpt_->flush(sync);
    if (err == rc::kSuccess && cdx_) err = cdx_->flush(dbf_->recordCount(), sync);
    if (err != rc::kSuccess) return report(err, "Cannot write " + dbfPath_ + " and its files");
    indexUnmatched_ = false;
    if (cdx_) cdx_->unlockWrite();
    locks_->publish();
    locks_->unlockAppend();
    structureHeld_ = false;
    return rc::kSuccess;
}

short Data4::flush() {
    short err = commit();
    short files = flushFiles();
    return err != rc::kSuccess ? err : files;
}

short Data4::lock(long recno) {
    refreshCount();
    if (recno < 1 || recno > recCount())
        return report(rc::kParameter,
                      "No record " + std::to_string(recno) + " in " + dbfPath_ + " to lock");
    const auto n = static_cast<std::uint32_t>(recno);
    short err = locks_->lockRecord(n);
    if (err != rc::kSuccess) return err;
    // Another handle may have changed the record before this lock.
    dbf_->forgetCached(n);
    if (state_ == State::Record && recno_ == n && !changed_) {
        bool placed = cursorPlaced_;
        err = load(n);
        cursorPlaced_ = placed;
    }
    return err;
}

short Data4::lockAll() {
    short err = locks_->lockFile();
    if (err == rc::kSuccess) dbf_->forgetAllCached();
    return err;
}

short Data4::lockAppend() {
    short err = commit();
    if (err != rc::kSuccess) return err;
    if ((err = acquireStructure()) != rc::kSuccess)
        return report(err, "Cannot lock " + dbfPath_ + " to append");
    return rc::kSuccess;
}

short Data4::unlock() {
    short err = commit();
    locks_->unlockRecordsAndFile();
    return err;
}

}  // namespace xbase
