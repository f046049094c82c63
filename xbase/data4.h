// One open table: the DBF with its memo file and production index, a current
// record buffer, the selected order, locks and the write-back of changes.
// The public d4* functions (d4.h) and the query relations work through it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/cdx_index.h"
#include "xbase/dbf_table.h"
#include "xbase/expr.h"
#include "xbase/fpt_memo.h"
#include "xbase/locks.h"
#include "xbase/record_view.h"
#include "xbase/return_codes.h"

namespace xbase {

class Code4;
class Data4;

// A tag of the production index with its compiled expressions.
struct Tag4 {
    Data4* data = nullptr;
    CdxTag* tag = nullptr;
    std::unique_ptr<Expression> key;
    std::unique_ptr<Expression> forExpr;  // null: no FOR clause
};

// A field of an open table; valid while the table is open.
struct Field4 {
    Data4* data = nullptr;
    int index = 0;
};

// A tag to create with a table: name, key expression, FOR expression (empty: none).
struct Tag4info {
    std::string name;
    std::string expression;
    std::string filter;
    bool unique = false;
};

class Data4 {
  public:
    // Opens path (".dbf" added when the file has no extension of its own) with
    // its memo file and production index; repairs an index that does not
    // match the table. nullptr with error set (and reported).
    static std::unique_ptr<Data4> open(Code4& code, const std::string& path, short& error);
    // Creates the table, its memo file when a field is a memo, and its
    // production index with these tags, then opens it.
    static std::unique_ptr<Data4> create(Code4& code, const std::string& path,
                                         const std::vector<FieldDesc>& fields,
                                         const std::vector<Tag4info>& tags, short& error);
    ~Data4();
    Data4(const Data4&) = delete;
    Data4& operator=(const Data4&) = delete;

    // Writes every change and releases the locks; the files close with the object.
    short close();

    // --- What query relations use ---------------------------------------
    // The current record buffer as expressions read it.
    const RecordSource& recordSource() {
        complete();
        return view_;
    }
    // The table's field list, for compiling and planning expressions: reading
    // the current record through it is not allowed.
    const RecordSource& recordLayout() const { return view_; }
    // The expression text compiled against this table's fields, and kept for
    // the next asker: searches set the same query and sort texts again and
    // again. nullptr with error set when it does not compile (nothing is
    // kept then).
    std::shared_ptr<const Expression> compiledExpression(std::string_view text, short& error);
    // Makes recno current (a number past the last record gives end of file).
    short go(long recno);
    // Makes recno current from an index entry: the fields the entry's key
    // holds as stored (keyFields of its tag) are read from the key, and the
    // record itself only when something else of it is asked for. A walk that
    // reads only those fields reads no record. 0, or rc::kEof when there is
    // no such record.
    short goFromKey(long recno, const std::vector<KeyField>& fields, std::string_view key);
    // Writes a change of the current record (or drops an unfinished append)
    // as a move would, staying where the table is; 0 or the error code.
    short settle() { return state_ == State::Appending || changed_ ? leaveRecord() : rc::kSuccess; }
    // Drops what this handle holds of the index when another handle changed
    // it since this one last looked, so that reads see it as it is now (not
    // while this handle holds the structure lock: then nobody else changes it).
    void refreshIndex();
    // Record recno as the table holds it, for expressions to read without
    // making it current (a change of the current record shows only once
    // settled); nullptr when there is no such record or it cannot be read
    // (reported). Valid until the table moves or reads again.
    const RecordSource* peek(long recno);
    long recCount() const { return static_cast<long>(dbf_->recordCount()); }
    struct TagRef {
        CdxTag* tag;
        const Expression* key;
        const Expression* forExpr;
    };
    std::vector<TagRef> tagRefs();
    // The list of record numbers a query relation on this table keeps while
    // it lives (the records it handed out) and leaves here for the next
    // one: a walk of many records then writes into memory it has used
    // before, instead of fresh pages of its own each time.
    std::vector<std::uint32_t>& relationRecords() { return relationRecords_; }
    Code4& code4() { return code_; }
    // Sets the engine's error code and calls its callback when reports are on.
    void reportError(short code, const std::string& text);
    Tag4* selectedTag() { return selected_; }

    // --- Position ---------------------------------------------------------
    short top();
    short bottom();
    short skip(long n);
    // Seeks text on the selected tag (the first tag when none is selected).
    short seek(std::string_view text);
    long recNo() const;
    // The record count after a look at the header (another handle may have appended).
    long recCountDo();
    Tag4* tag(std::string_view name);
    short selectTag(Tag4* tag);  // null: record-number order

    // --- Records and fields ----------------------------------------------
    short appendStart();
    short append();
    short setDeleted(bool deleted);
    bool deleted() {
        complete();
        return buffer_[0] == '*';
    }
    Field4* field(std::string_view name);
    short assign(int field, std::string_view text);
    // A memo field takes text as its memo; any other field as assign().
    short memoAssign(int field, std::string_view text);
    const char* fieldPtr(int field) {
        if (partial_ && !isKeyField(field)) complete();
        return buffer_.data() + dbf_->fieldOffset(field);
    }
    int fieldLength(int field) const {
        return dbf_->fields()[static_cast<std::size_t>(field)].length;
    }
    const char* fieldName(int field) const;
    // Text of a memo field (bytes of any other field); valid until the next move.
    const std::string& memoText(int field);

    // --- Locks, durability, maintenance ----------------------------------
    short lock(long recno);
    short lockAll();
    // Takes the append lock (with the index's write lock) and re-reads the
    // record count, so that the last record stays the last until this
    // handle's next flush, whatever other handles try to append meanwhile.
    short lockAppend();
    short unlock();
    short flush();
    short reindex();
    short pack();
    short memoCompress();

  private:
    enum class State { Record, Eof, Appending };
    struct KeyChange;

    explicit Data4(Code4& code);
    short openFiles(const std::string& dbfPath);
    short openTags();
    short repairIndex();
    short report(short code, const std::string& what);

    // Position helpers (data4_position.cpp).
    short leaveRecord();
    short load(std::uint32_t recno);
    // Reads the current record in full when goFromKey left it partial.
    void complete() {
        if (partial_) load(recno_);
    }
    // True when goFromKey took field from the key.
    bool isKeyField(int field) const {
        for (const KeyField& k : *keyFields_) {
            if (k.field == field) return true;
        }
        return false;
    }
    void setEof();
    // Re-reads the table's record count, which another handle may have
    // changed; not while this handle holds the structure lock.
    void refreshCount();
    bool placeCursor();
    short skipTag(long n);

    // Record helpers (data4_record.cpp).
    short mayChange();
    short commit();
    short writeChanges();
    void dropChanges();
    bool uniqueClash(const Tag4& tag, const std::string& key, std::uint32_t recno);
    short writeMemos(bool appending);

    // Durability helpers (data4_flush.cpp).
    short acquireStructure();
    short flushFiles();
    short markIndexUnmatched();

    // Maintenance helpers (data4_maint.cpp).
    short finishInterruptedRewrite();
    short rewrite(bool dropDeleted);
    short rebuildTags();
    std::string keyOf(const Tag4& tag, const RecordSource& src, bool& included) const;

    Code4& code_;
    std::string dbfPath_, fptPath_, cdxPath_;
    std::unique_ptr<DbfTable> dbf_;
    std::unique_ptr<FptFile> fpt_;
    std::unique_ptr<CdxFile> cdx_;
    std::unique_ptr<TableLocks> locks_;
    bool denyWrite_ = false;
    std::vector<std::unique_ptr<Tag4>> tags_;
    Tag4* selected_ = nullptr;
    std::unique_ptr<CdxCursor> cursor_;
    bool cursorPlaced_ = false;  // cursor_ stands on the current record's entry
    std::vector<Field4> fieldHandles_;

    State state_ = State::Eof;
    std::uint32_t recno_ = 0;
    std::string buffer_;  // the current record as the caller changes it
    std::string stored_;  // the current record as it is in the table
    std::vector<std::pair<Tag4*, std::string>> appendKeys_;  // append()'s keys, kept for reuse
    // Set by goFromKey: of the current record only keyFields_ are in buffer_.
    bool partial_ = false;
    const std::vector<KeyField>* keyFields_ = nullptr;
    std::string blank_;
    std::vector<std::uint32_t> relationRecords_;
    // The expressions compiledExpression kept, the last asked for last.
    std::vector<std::shared_ptr<const Expression>> compiled_;
    bool changed_ = false;
    std::vector<std::optional<std::string>> pendingMemo_;  // assigned, not yet written
    std::vector<std::optional<std::string>> memoCache_;    // read for the current record
    RecordView view_;
    RecordView peekView_;  // the record peek() shows

    bool structureHeld_ = false;   // append lock and index write lock held until flush
    bool indexUnmatched_ = false;  // the index on disk is marked as matching no table
};

}  // namespace xbase
