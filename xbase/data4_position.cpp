// Moving a table: go, top, bottom, skip in record-number or tag order, seek,
// and the end-of-file and beginning-of-file states.
#include <algorithm>
#include <cstring>

#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/field_codec.h"
#include "xbase/return_codes.h"

namespace xbase {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Steps along a tag in its logical order: a descending tag is walked from
// the end of its ascending tree.
struct TagWalk {
    CdxCursor& cursor;
    bool descending;
    bool first() { return descending ? cursor.last() : cursor.first(); }
    bool last() { return descending ? cursor.first() : cursor.last(); }
    bool next() { return descending ? cursor.prev() : cursor.next(); }
    bool prev() { return descending ? cursor.next() : cursor.prev(); }
};

}  // namespace

long Data4::recNo() const {
    if (state_ == State::Appending) return static_cast<long>(dbf_->recordCount()) + 1;
    return static_cast<long>(recno_);
}

long Data4::recCountDo() {
    refreshCount();
    return recCount();
}

short Data4::leaveRecord() {
    if (state_ == State::Appending) {  // an append begun and not finished is dropped
        dropChanges();
        setEof();
        return rc::kSuccess;
    }
    return changed_ ? commit() : rc::kSuccess;
}

short Data4::load(std::uint32_t recno) {
    // An entry of the index may name a record another handle appended since
    // this one last read the table's count.
    if (recno > dbf_->recordCount()) refreshCount();
    short err = dbf_->read(recno, buffer_.data());
    if (err != rc::kSuccess) {
        setEof();
        return report(err, "Cannot read record " + std::to_string(recno) + " of " + dbfPath_);
    }
    stored_ = buffer_;
    partial_ = false;
    state_ = State::Record;
    recno_ = recno;
    cursorPlaced_ = false;
    std::fill(memoCache_.begin(), memoCache_.end(), std::nullopt);
    view_.show(buffer_.data(), static_cast<long>(recno), &pendingMemo_);
    return rc::kSuccess;
}

void Data4::setEof() {
    std::memcpy(buffer_.data(), blank_.data(), buffer_.size());
    std::memcpy(stored_.data(), blank_.data(), stored_.size());
    partial_ = false;
    state_ = State::Eof;
    recno_ = dbf_->recordCount() + 1;
    cursorPlaced_ = false;
    changed_ = false;
    std::fill(memoCache_.begin(), memoCache_.end(), std::nullopt);
    view_.show(buffer_.data(), static_cast<long>(recno_), &pendingMemo_);
}

void Data4::refreshCount() {
    if (!structureHeld_) dbf_->refresh();  // with the lock this handle's count is the table's
}

void Data4::refreshIndex() {
    if (!structureHeld_ && cdx_) cdx_->refreshIfChanged();
}

short Data4::go(long recno) {
    static const std::vector<KeyField> none;
    return goFromKey(recno, none, {});
}

short Data4::goFromKey(long recno, const std::vector<KeyField>& fields, std::string_view key) {
    if (short err = settle()) return err;
    if (recno < 1) return report(rc::kParameter, "No record " + std::to_string(recno));
    if (recno > recCount()) {
        refreshCount();  // another handle may have appended
        if (recno > recCount()) {
            setEof();
            return rc::kEof;
        }
    }
    if (fields.empty()) return load(static_cast<std::uint32_t>(recno));
    for (const KeyField& k : fields) {
        char* to = buffer_.data() + dbf_->fieldOffset(k.field);
        const char* from = key.data() + k.offset;
        if (!k.numeric) {
            std::memcpy(to, from, static_cast<std::size_t>(k.width));
            continue;
        }
        // A value that is not whole may be stored otherwise than it would be
        // written: the record is read instead.
        const auto width = static_cast<std::size_t>(fieldLength(k.field));
        if (!writeWholeNumber(decodeNumericKey({from, 8}), to, width))
            return load(static_cast<std::uint32_t>(recno));
    }
    partial_ = true;
    keyFields_ = &fields;
    state_ = State::Record;
    recno_ = static_cast<std::uint32_t>(recno);
    cursorPlaced_ = false;
    return rc::kSuccess;
}

const RecordSource* Data4::peek(long recno) {
    if (recno < 1) return nullptr;
    if (recno > recCount()) refreshCount();  // another handle may have appended
    if (recno > recCount()) return nullptr;
    short err = rc::kSuccess;
    const char* record = dbf_->peek(static_cast<std::uint32_t>(recno), err);
    if (record == nullptr) {
        report(err, "Cannot read record " + std::to_string(recno) + " of " + dbfPath_);
        return nullptr;
    }
    peekView_.bind(dbf_.get(), fpt_.get());
    peekView_.show(record, recno, nullptr);
    return &peekView_;
}

short Data4::top() {
    short err = leaveRecord();
    if (err != rc::kSuccess) return err;
    if (selected_) {
        refreshIndex();
        TagWalk walk{*cursor_, selected_->tag->descending()};
        if (!walk.first()) {
            setEof();
            return rc::kEof;
        }
        err = load(cursor_->recNo());
        cursorPlaced_ = err == rc::kSuccess;
        return err;
    }
    refreshCount();
    if (dbf_->recordCount() == 0) {
        setEof();
        return rc::kEof;
    }
    return load(1);
}

short Data4::bottom() {
    short err = leaveRecord();
    if (err != rc::kSuccess) return err;
    if (selected_) {
        refreshIndex();
        TagWalk walk{*cursor_, selected_->tag->descending()};
        if (!walk.last()) {
            setEof();
            return rc::kEof;
        }
        err = load(cursor_->recNo());
        cursorPlaced_ = err == rc::kSuccess;
        return err;
    }
    refreshCount();
    if (dbf_->recordCount() == 0) {
        setEof();
        return rc::kEof;
    }
    return load(dbf_->recordCount());
}

short Data4::skip(long n) {
    short err = leaveRecord();
    if (err != rc::kSuccess) return err;
    if (selected_) return skipTag(n);
    const long long count = dbf_->recordCount();
    long long from = state_ == State::Eof ? count + 1 : static_cast<long long>(recno_);
    long long target = from + n;
    if (target > count) {
        setEof();
        return rc::kEof;
    }
    if (target < 1) {
        if (count == 0) {
            setEof();
        } else if ((err = load(1)) != rc::kSuccess) {
            return err;
        }
        return rc::kBof;
    }
    return load(static_cast<std::uint32_t>(target));
}

bool Data4::placeCursor() {
    if (cursorPlaced_) return true;
    complete();
    bool included = false;
    std::string key = keyOf(*selected_, view_, included);
    cursor_->seekEntry(key, recno_);
    cursorPlaced_ =
        included && cursor_->valid() && cursor_->recNo() == recno_ && cursor_->key() == key;
    return cursorPlaced_;
}

short Data4::skipTag(long n) {
    const bool descending = selected_->tag->descending();
    TagWalk walk{*cursor_, descending};
    if (n == 0) return rc::kSuccess;
    bool moved = true;  // false once the walk runs off the start
    if (state_ == State::Eof) {
        if (n > 0) return rc::kEof;
        moved = walk.last();
        ++n;
    } else if (!placeCursor()) {
        // The record has no entry (FOR clause, unique tag): the cursor stands on
        // the entry after it in ascending order. The first step goes to that
        // entry or to the one before it, as the direction asks.
        bool useThisEntry = (n > 0) != descending;
        moved = useThisEntry ? cursor_->valid()
                             : (cursor_->valid() ? cursor_->prev() : cursor_->last());
        if (!moved && n > 0) {
            setEof();
            return rc::kEof;
        }
        n += n > 0 ? -1 : 1;
    }
    for (; moved && n > 0; --n) {
        if (!walk.next()) {
            setEof();
            return rc::kEof;
        }
    }
    for (; moved && n < 0; ++n)
        moved = walk.prev();
    if (!moved) {  // ran off the start: stay on the first entry
        if (!walk.first()) {
            setEof();
            return rc::kBof;
        }
        short err = load(cursor_->recNo());
        cursorPlaced_ = err == rc::kSuccess;
        return err != rc::kSuccess ? err : rc::kBof;
    }
    short err = load(cursor_->recNo());
    cursorPlaced_ = err == rc::kSuccess;
    return err;
}

short Data4::seek(std::string_view text) {
    short err = leaveRecord();
    if (err != rc::kSuccess) return err;
    Tag4* t = selected_ ? selected_ : (tags_.empty() ? nullptr : tags_.front().get());
    if (!t) return report(rc::kNoTag, "Cannot seek in " + dbfPath_ + " without an index tag");
    refreshIndex();
    std::string key;
    bool exact = true;
    switch (t->key->type()) {
        case ValueType::Numeric:
            key = numericKey(parseLeadingNumber(text));
            break;
        case ValueType::Date:
            key = numericKey(julianDay(trimmed(text)));
            break;
        default:
            key = std::string(text.substr(
                0,
                std::min<std::size_t>(text.size(), static_cast<std::size_t>(t->tag->keyLength()))));
            exact = false;
    }
    std::unique_ptr<CdxCursor> own;
    CdxCursor* c = cursor_.get();
    if (t != selected_) {
        own = std::make_unique<CdxCursor>(*t->tag);
        c = own.get();
    }
    if (!c->seekGE(key)) {
        setEof();
        return rc::kEof;
    }
    bool found = exact ? c->key() == key : c->key().substr(0, key.size()) == key;
    if ((err = load(c->recNo())) != rc::kSuccess) return err;
    cursorPlaced_ = t == selected_;
    return found ? rc::kSuccess : rc::kAfter;
}

short Data4::selectTag(Tag4* tag) {
    if (tag && tag->data != this) return report(rc::kParameter, "The tag belongs to another table");
    // The tag selected again keeps its cursor, placed anew when next needed.
    if (tag != selected_ || (tag && !cursor_))
        cursor_ = tag ? std::make_unique<CdxCursor>(*tag->tag) : nullptr;
    selected_ = tag;
    cursorPlaced_ = false;
    return rc::kSuccess;
}

}  // namespace xbase
