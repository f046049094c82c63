// Changing records: field assignments, deletion marks, appends, and the
// write-back of a changed record with its memos and the keys of every tag.
#include <algorithm>
#include <cstring>

#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/field_codec.h"
#include "xbase/return_codes.h"

namespace xbase {

struct Data4::KeyChange {
    Tag4* tag;
    bool wasIn;
    std::string oldKey;
    bool isIn;
    std::string newKey;
};

std::string Data4::keyOf(const Tag4& tag, const RecordSource& src, bool& included) const {
    included = !tag.forExpr || tag.forExpr->evaluate(src).logical;
    return tag.key->key(src);
}

short Data4::mayChange() {
    complete();
    switch (state_) {
        case State::Appending:
            return rc::kSuccess;
        case State::Eof:
            return report(rc::kEof, "No current record in " + dbfPath_ + " to change");
        case State::Record:
            if (code_.lockEnforce && !locks_->canChange(recno_))
                return report(rc::kLockNeeded, "Record " + std::to_string(recno_) + " of " +
                                                   dbfPath_ + " is not locked");
            return rc::kSuccess;
    }
    return rc::kParameter;
}

short Data4::assign(int field, std::string_view text) {
    const FieldDesc& f = dbf_->fields()[static_cast<std::size_t>(field)];
    if (f.type == 'M') return memoAssign(field, text);
    short err = mayChange();
    if (err != rc::kSuccess) return err;
    err = storeFieldText(f, text, buffer_.data() + dbf_->fieldOffset(field));
    if (err != rc::kSuccess)
        return report(err, "Cannot store \"" + std::string(text) + "\" in field " + f.name);
    changed_ = true;
    memoCache_[static_cast<std::size_t>(field)].reset();
    return rc::kSuccess;
}

short Data4::memoAssign(int field, std::string_view text) {
    if (dbf_->fields()[static_cast<std::size_t>(field)].type != 'M') return assign(field, text);
    short err = mayChange();
    if (err != rc::kSuccess) return err;
    pendingMemo_[static_cast<std::size_t>(field)] = std::string(text);
    memoCache_[static_cast<std::size_t>(field)] = std::string(text);
    changed_ = true;
    return rc::kSuccess;
}

short Data4::setDeleted(bool deleted) {
    short err = mayChange();
    if (err != rc::kSuccess) return err;
    char mark = deleted ? '*' : ' ';
    if (buffer_[0] != mark) {
        buffer_[0] = mark;
        changed_ = true;
    }
    return rc::kSuccess;
}

void Data4::dropChanges() {
    std::memcpy(buffer_.data(), stored_.data(), buffer_.size());
    std::fill(pendingMemo_.begin(), pendingMemo_.end(), std::nullopt);
    std::fill(memoCache_.begin(), memoCache_.end(), std::nullopt);
    changed_ = false;
}

bool Data4::uniqueClash(const Tag4& tag, const std::string& key, std::uint32_t recno) {
    CdxCursor cursor(*tag.tag);
    return cursor.seekGE(key) && cursor.key() == key && cursor.recNo() != recno;
}

short Data4::writeMemos(bool appending) {
    for (std::size_t i = 0; i < pendingMemo_.size(); ++i) {
        if (!pendingMemo_[i]) continue;
        int offset = dbf_->fieldOffset(static_cast<int>(i));
        long long old = appending ? 0 : memoBlock(std::string_view(stored_).substr(offset, 10));
        std::uint32_t block = 0;
        short err =
            fpt_->write(old > 0 ? static_cast<std::uint32_t>(old) : 0, *pendingMemo_[i], block);
        if (err != rc::kSuccess) return err;
        storeMemoBlock(block, buffer_.data() + offset);
    }
    return rc::kSuccess;
}

short Data4::appendStart() {
    short err = leaveRecord();
    if (err != rc::kSuccess) return err;
    std::memcpy(buffer_.data(), blank_.data(), buffer_.size());
    std::fill(pendingMemo_.begin(), pendingMemo_.end(), std::nullopt);
    std::fill(memoCache_.begin(), memoCache_.end(), std::nullopt);
    state_ = State::Appending;
    partial_ = false;  // the buffer is the new record's: nothing is left to read
    changed_ = false;
    cursorPlaced_ = false;
    view_.show(buffer_.data(), recCount() + 1, &pendingMemo_);
    return rc::kSuccess;
}

short Data4::append() {
    if (state_ != State::Appending)
        return report(rc::kParameter, "d4append on " + dbfPath_ + " without d4appendStart");
    short err = acquireStructure();
    if (err != rc::kSuccess) return report(err, "Cannot lock " + dbfPath_ + " to append");
    const std::uint32_t recno = dbf_->recordCount() + 1;
    view_.show(buffer_.data(), static_cast<long>(recno), &pendingMemo_);
    std::vector<std::pair<Tag4*, std::string>>& keys = appendKeys_;
    keys.clear();
    for (const auto& t : tags_) {
        bool included = false;
        std::string key = keyOf(*t, view_, included);
        if (!included) continue;
        if (t->tag->unique() && uniqueClash(*t, key, recno)) {
            if (code_.uniqueMode == 25) continue;  // keep the record, leave the key out
            return rc::kUnique;
        }
        keys.emplace_back(t.get(), std::move(key));
    }
    if ((err = writeMemos(true)) != rc::kSuccess ||
        (err = dbf_->append(buffer_.data())) != rc::kSuccess)
        return report(err, "Cannot append to " + dbfPath_);
    short keyError = rc::kSuccess;
    for (auto& [tag, key] : keys)
        if ((err = tag->tag->insert(key, recno)) < 0)
            keyError = report(err, "Cannot add a key to tag " + tag->tag->name());
    std::memcpy(stored_.data(), buffer_.data(), buffer_.size());
    std::fill(pendingMemo_.begin(), pendingMemo_.end(), std::nullopt);
    state_ = State::Record;
    recno_ = recno;
    changed_ = false;
    locks_->lockAppended(recno);  // the new record stays locked by this handle
    return keyError;
}

short Data4::commit() {
    if (!changed_ || state_ != State::Record) return rc::kSuccess;
    bool temporary = false;
    if (!locks_->canChange(recno_)) {
        if (locks_->lockRecord(recno_) != rc::kSuccess) {
            dropChanges();
            return report(rc::kLocked, "Record " + std::to_string(recno_) + " of " + dbfPath_ +
                                           " is locked by another user; the change was dropped");
        }
        temporary = true;
    }
    short err = writeChanges();
    if (temporary) locks_->unlockRecord(recno_);
    return err;
}

short Data4::writeChanges() {
    RecordView old;
    old.bind(dbf_.get(), fpt_.get());
    old.show(stored_.data(), static_cast<long>(recno_), nullptr);
    std::vector<KeyChange> changes;
    for (const auto& t : tags_) {
        KeyChange c{t.get(), false, {}, false, {}};
        c.oldKey = keyOf(*t, old, c.wasIn);
        c.newKey = keyOf(*t, view_, c.isIn);
        if (c.wasIn != c.isIn || (c.isIn && c.oldKey != c.newKey)) changes.push_back(std::move(c));
    }
    bool memos = std::any_of(pendingMemo_.begin(), pendingMemo_.end(),
                             [](const auto& m) { return m.has_value(); });
    auto fail = [&](short code, const std::string& what) {
        dropChanges();
        return code > 0 ? code : report(code, what);
    };
    short err = rc::kSuccess;
    if ((!changes.empty() || memos) && (err = acquireStructure()) != rc::kSuccess)
        return fail(err, "Cannot lock " + dbfPath_ + " to write a record");
    for (KeyChange& c : changes) {
        if (!c.isIn || !c.tag->tag->unique() || !uniqueClash(*c.tag, c.newKey, recno_)) continue;
        if (code_.uniqueMode != 25) return fail(rc::kUnique, "");
        c.isIn = false;
    }
    if (!changes.empty() && (err = markIndexUnmatched()) != rc::kSuccess)
        return fail(err, "Cannot write the index of " + dbfPath_);
    if ((err = writeMemos(false)) != rc::kSuccess ||
        (err = dbf_->write(recno_, buffer_.data())) != rc::kSuccess)
        return fail(err, "Cannot write record " + std::to_string(recno_) + " of " + dbfPath_);
    for (const KeyChange& c : changes) {
        if (c.wasIn) c.tag->tag->remove(c.oldKey, recno_);
        if (c.isIn) c.tag->tag->insert(c.newKey, recno_);
    }
    std::memcpy(stored_.data(), buffer_.data(), buffer_.size());
    std::fill(pendingMemo_.begin(), pendingMemo_.end(), std::nullopt);
    changed_ = false;
    if (!changes.empty()) cursorPlaced_ = false;
    return rc::kSuccess;
}

}  // namespace xbase
