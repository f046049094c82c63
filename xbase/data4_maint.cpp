// Table maintenance: rebuilding every tag (reindex, index repair), pack and
// memo compress, which rewrite the table into new files and rename them.
//
// A rewrite writes "<table>.new" (and "<memo>.new"), makes them durable, then
// renames the table first and the memo file second. The table's rename is the
// commit point: on open, a left-over "<table>.new" means the rewrite never
// committed (both new files are removed); a lone "<memo>.new" means it
// committed and the memo file still has to be renamed. Either way the table
// and memo file that open belong together.
#include "xbase/code4.h"
#include "xbase/data4.h"
#include "xbase/field_codec.h"
#include "xbase/return_codes.h"

namespace xbase {

short Data4::rebuildTags() {
    const std::uint32_t count = dbf_->recordCount();
    std::string record(static_cast<std::size_t>(dbf_->recordLength()), ' ');
    RecordView view;
    view.bind(dbf_.get(), fpt_.get());
    for (const auto& t : tags_) {
        // A unique tag keeps the first record of each key: the tag's sort
        // hands out the lowest record number of each.
        short err = t->tag->rebuild([&](const CdxTag::EntrySink& add) {
            for (std::uint32_t r = 1; r <= count; ++r) {
                short e = dbf_->read(r, record.data());
                if (e != rc::kSuccess) return e;
                view.show(record.data(), static_cast<long>(r), nullptr);
                bool included = false;
                std::string key = keyOf(*t, view, included);
                if (included && (e = add(key, r)) != rc::kSuccess) return e;
            }
            return rc::kSuccess;
        });
        if (err != rc::kSuccess) return err;
    }
    cursorPlaced_ = false;
    return rc::kSuccess;
}

short Data4::reindex() {
    short err = commit();
    if (err != rc::kSuccess) return err;
    if ((err = acquireStructure()) != rc::kSuccess)
        return report(err, "Cannot lock " + dbfPath_ + " to reindex");
    if ((err = rebuildTags()) != rc::kSuccess)
        return report(err, "Cannot rebuild the tags of " + dbfPath_);
    return flushFiles();
}

short Data4::pack() {
    return rewrite(true);
}

short Data4::memoCompress() {
    return fpt_ ? rewrite(false) : rc::kSuccess;
}

short Data4::finishInterruptedRewrite() {
    const std::string newDbf = dbfPath_ + ".new", newFpt = fptPath_ + ".new";
    FileSystem& fs = fileSystem();
    if (!fs.exists(newDbf) && !fs.exists(newFpt)) return rc::kSuccess;
    // A rewrite running in another handle holds the append lock throughout.
    if (locks_->lockAppend(code_.appendLockWaitMs) != rc::kSuccess) return rc::kLocked;
    if (fs.exists(newDbf)) {
        fs.remove(newDbf);
        fs.remove(newFpt);
    } else if (fs.exists(newFpt) && !fs.rename(newFpt, fptPath_)) {
        locks_->unlockAppend();
        return rc::kMemo;
    }
    locks_->unlockAppend();
    return rc::kSuccess;
}

short Data4::rewrite(bool dropDeleted) {
    const char* what = dropDeleted ? "Cannot pack " : "Cannot compress the memo file of ";
    short err = leaveRecord();
    if (err == rc::kSuccess) err = flush();
    if (err != rc::kSuccess) return err;
    if ((err = locks_->lockFile()) != rc::kSuccess || (err = acquireStructure()) != rc::kSuccess)
        return report(err, what + dbfPath_ + " while it is in use");
    const std::string newDbfPath = dbfPath_ + ".new", newFptPath = fptPath_ + ".new";
    auto fail = [&](short code) {
        fileSystem().remove(newDbfPath);
        fileSystem().remove(newFptPath);
        return report(code, what + dbfPath_);
    };
    std::unique_ptr<DbfTable> table = dbf_->createCopy(newDbfPath, err);
    if (!table) return fail(err);
    std::unique_ptr<FptFile> memo;
    if (fpt_ && !(memo = FptFile::create(newFptPath, fpt_->blockSize(), err))) return fail(err);

    const std::uint32_t count = dbf_->recordCount();
    std::string record(static_cast<std::size_t>(dbf_->recordLength()), ' ');
    std::string text;
    for (std::uint32_t r = 1; r <= count; ++r) {
        if ((err = dbf_->read(r, record.data())) != rc::kSuccess) return fail(err);
        if (dropDeleted && record[0] == '*') continue;
        for (std::size_t i = 0; memo && i < dbf_->fields().size(); ++i) {
            if (dbf_->fields()[i].type != 'M') continue;
            char* field = record.data() + dbf_->fieldOffset(static_cast<int>(i));
            long long block = memoBlock(std::string_view(field, 10));
            std::uint32_t moved = 0;
            if (block > 0) fpt_->read(static_cast<std::uint32_t>(block), text);  // damaged: empty
            if (block > 0 && (err = memo->append(text, moved)) != rc::kSuccess) return fail(err);
            storeMemoBlock(moved, field);
        }
        if ((err = table->append(record.data())) != rc::kSuccess) return fail(err);
    }
    if ((err = table->flush(true)) != rc::kSuccess ||
        (memo && (err = memo->flush(true)) != rc::kSuccess))
        return fail(err);

    // Lock the new files before their names become the table's.
    auto locks = std::make_unique<TableLocks>(table->file(), table->productionIndexFlag(),
                                              table->headerLength(), table->recordLength());
    if ((err = locks->openAccess(denyWrite_)) != rc::kSuccess ||
        (err = locks->lockFile()) != rc::kSuccess || (err = locks->lockAppend(0)) != rc::kSuccess)
        return fail(err);
    if (!fileSystem().rename(newDbfPath, dbfPath_)) return fail(rc::kWrite);
    if (memo && !fileSystem().rename(newFptPath, fptPath_))
        return report(rc::kWrite, what + dbfPath_ + ": the memo file is renamed on the next open");

    locks_ = std::move(locks);
    dbf_ = std::move(table);
    if (memo) fpt_ = std::move(memo);
    view_.bind(dbf_.get(), fpt_.get());
    setEof();
    if (dbf_->recordCount() != count && (err = rebuildTags()) != rc::kSuccess)
        return report(err, what + dbfPath_ + ": the tags cannot be rebuilt");
    err = flushFiles();
    locks_->unlockRecordsAndFile();
    if (err != rc::kSuccess) return err;
    err = top();
    return err < 0 ? err : rc::kSuccess;
}

}  // namespace xbase
