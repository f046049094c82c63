// One DBF table file (FoxPro 2.x, version 0x03 or 0xF5): the header and field
// descriptors, validated on open, and the fixed-length records, read through
// a bounded block cache, written in place, appended in batches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_block_cache.h"
#include "xbase/expr.h"
#include "xbase/file_io.h"

namespace xbase {

class DbfTable {
  public:
    // Opens and validates an existing table; nullptr with error rc::kOpen
    // (cannot open), rc::kRead or rc::kData (damaged or foreign header).
    static std::unique_ptr<DbfTable> open(const std::string& path, short& error);
    // Creates an empty table: version 0xF5 when a field is a memo, else 0x03;
    // code page mark 0x03; byte 28 = 0x01 when productionIndex. Field names are
    // stored upper case. nullptr with rc::kCreate, rc::kWrite or rc::kFieldType
    // (a field list that no table can hold).
    static std::unique_ptr<DbfTable> create(const std::string& path,
                                            const std::vector<FieldDesc>& fields,
                                            bool productionIndex, short& error);
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const std::vector<FieldDesc>& fields() const { return fields_; }
    // Offset of field i inside a record (byte 0 is the deletion flag).
    int fieldOffset(int i) const { return offsets_[static_cast<std::size_t>(i)]; }
    int findField(std::string_view name) const;  // without regard to case; -1 when none
    int recordLength() const { return recordLength_; }
    bool hasMemoFields() const;
    bool productionIndexFlag() const { return productionIndex_; }
    std::uint32_t headerLength() const { return headerLength_; }
    // Records of the table, buffered appends included.
    std::uint32_t recordCount() const { return fileRecords_ + pendingRecords_; }

    // Copies record recno (1 .. recordCount()) into out (recordLength() bytes).
    short read(std::uint32_t recno, char* out);
    // The bytes of record recno where the table keeps them, without a copy;
    // nullptr with error rc::kParameter or rc::kRead. Valid until the next
    // call of a non-const member.
    const char* peek(std::uint32_t recno, short& error);
    // Replaces an existing record; one written to the file goes there at once.
    short write(std::uint32_t recno, const char* record);
    // Adds a record as number recordCount() + 1. It is held in memory and
    // written with the others at flush (or when the batch grows large).
    short append(const char* record);
    // Writes the buffered records with the end marker 0x1A after them, then the
    // header's date and record count; with sync each step is made durable.
    short flush(bool sync);
    // Re-reads the record count from the header, for a table that another
    // handle may have appended to. Only without buffered appends.
    short refresh();
    // Drops the cached copy of recno so that the next read sees the file.
    void forgetCached(std::uint32_t recno) { cache_->forget(recno); }
    void forgetAllCached() { cache_->clear(); }
    // Creates an empty table at path with this table's header (fields, flags,
    // code page) and opens it.
    std::unique_ptr<DbfTable> createCopy(const std::string& path, short& error);

    File& file() { return *file_; }

  private:
    DbfTable() = default;
    short parseHeader(const std::vector<char>& head, long long fileSize);
    short writeRecords(std::uint32_t first, const char* bytes, std::size_t count);
    short spill();

    std::unique_ptr<File> file_;
    std::vector<FieldDesc> fields_;
    std::vector<int> offsets_;
    std::uint32_t headerLength_ = 0;
    int recordLength_ = 0;
    bool productionIndex_ = false;
    std::uint32_t headerCount_ = 0;     // the count the header on disk holds
    std::uint32_t fileRecords_ = 0;     // records written to the file (>= headerCount_)
    std::vector<char> pending_;         // appended records not yet in the file
    std::uint32_t pendingRecords_ = 0;  // how many: counted, as each move asks for it
    std::unique_ptr<RecordBlockCache> cache_;
};

}  // namespace xbase
