// The lock scheme of a table: advisory single-byte locks far past the data,
// as FoxPro-family engines place them, so that records stay readable while
// locked and two handles (or two processes) on one table exclude each other.
//
// With a production index (DBF byte 28 bit 0x01): header/append lock = byte
// 0x7FFFFFFE, record n = byte 0x7FFFFFFE - n, file lock = 0x77FFFFFF for
// 0x07FFFFFF bytes. Without one: header = 0x40000000, record n = 0x40000000 +
// header length + (n - 1) * record length, file lock = 0x40000001 for
// 0x3FFFFFFD bytes. Access mode: every writing handle holds a shared lock on a
// byte at 4 GiB; a deny-write handle holds it exclusively.
#pragma once

#include <cstdint>
#include <unordered_set>

#include "xbase/file_io.h"

namespace xbase {

class TableLocks {
  public:
    // dbf must outlive the object; its locks end when it is closed.
    TableLocks(File& dbf, bool productionIndex, std::uint32_t headerLength, int recordLength);
    TableLocks(const TableLocks&) = delete;
    TableLocks& operator=(const TableLocks&) = delete;

    // Registers this handle as a writer (shared access byte) or, with
    // denyWrite, as the only one (exclusive); rc::kAccess on conflict.
    short openAccess(bool denyWrite);
    // rc::kLocked when another handle holds the record or the file lock.
    short lockRecord(std::uint32_t recno);
    void unlockRecord(std::uint32_t recno);
    // Locks a record this handle has just appended and not yet flushed. No
    // other handle can reach it before the flush publishes the new count, so
    // the lock is only noted here and taken on the file by publish().
    void lockAppended(std::uint32_t recno) { appended_.insert(recno); }
    // Takes the noted locks of appended records on the file; called before
    // the append lock is released.
    void publish();
    short lockFile();
    // The header/append lock, tried for up to waitMs milliseconds.
    short lockAppend(int waitMs);
    void unlockAppend();
    // Releases the record and file locks (the append lock stays).
    void unlockRecordsAndFile();

    bool canChange(std::uint32_t recno) const {
        return file_ || records_.count(recno) != 0 || appended_.count(recno) != 0;
    }

  private:
    std::uint64_t recordByte(std::uint32_t recno) const;

    File& dbf_;
    bool indexScheme_;
    std::uint32_t headerLength_;
    int recordLength_;
    std::unordered_set<std::uint32_t> records_;
    std::unordered_set<std::uint32_t> appended_;
    bool file_ = false;
    bool append_ = false;
};

}  // namespace xbase
