// Opening, creating and closing a table with its memo file and production
// index; the accessors over tags, fields and compiled expressions.
//
// Design note. Invariants of Data4 (kept by all data4_*.cpp files):
//  1. state_ is Record (recno_ is a record, stored_ is that record as the
//     table holds it), Eof (recno_ = count + 1, blank buffer) or Appending
//     (buffer_ is the record begun by appendStart, not yet in the table).
//     With partial_ (state Record, set by goFromKey) only the fields of
//     keyFields_ are in buffer_, stored_ and view_ are stale, and changed_
//     is clear: everything that reads more of the record, or changes it,
//     calls complete() first.
//  2. buffer_ differs from stored_ only while changed_ is set; a change is
//     written (record, memos, keys of every tag) before the table moves off
//     the record, on unlock, flush and close. A change that cannot be written
//     is dropped whole and reported; nothing is half written.
//  3. Every tag holds exactly the keys of stored records (FOR clauses and
//     unique tags respected), except that a repair rebuilds them on open.
//  4. structureHeld_: this handle holds the table's append lock and the index
//     write lock; it takes them before the first append, memo allocation or
//     key change and keeps them until its flush writes everything.
//  5. Flush order: record data, the table's record count, the memo header,
//     then the index with the record count it matches. Before a record whose
//     keys changed is written in place, the index on disk is marked as
//     matching no record count, so a crash in between forces a rebuild.
#include "xbase/data4.h"

#include <algorithm>

#include "xbase/code4.h"
#include "xbase/field_codec.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

bool hasExtension(const std::string& path) {
    std::size_t dot = path.find_last_of('.');
    std::size_t slash = path.find_last_of('/');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// The companion file of a table: same stem, extension ext; upper case when the
// table's own extension is upper case (KEYS.DBF goes with KEYS.CDX).
std::string companion(const std::string& dbfPath, std::string ext) {
    std::string stem = dbfPath;
    bool upper = false;
    if (hasExtension(dbfPath)) {
        std::size_t dot = dbfPath.find_last_of('.');
        std::string own = dbfPath.substr(dot + 1);
        upper = !own.empty();
        for (char c : own)
            upper = upper && !(c >= 'a' && c <= 'z');
        stem = dbfPath.substr(0, dot);
    }
    if (upper)
        for (char& c : ext)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return stem + "." + ext;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) {
            return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

// The highest memo block a record of table names, 0 when none does.
std::uint32_t highestMemoBlock(DbfTable& table, std::uint32_t first, std::uint32_t last) {
    std::string record(static_cast<std::size_t>(table.recordLength()), ' ');
    long long highest = 0;
    for (std::uint32_t r = first; r <= last; ++r) {
        if (table.read(r, record.data()) != rc::kSuccess) continue;
        for (std::size_t i = 0; i < table.fields().size(); ++i) {
            if (table.fields()[i].type != 'M') continue;
            std::string_view bytes(record.data() + table.fieldOffset(static_cast<int>(i)),
                                   static_cast<std::size_t>(table.fields()[i].length));
            highest = std::max(highest, memoBlock(bytes));
        }
    }
    return static_cast<std::uint32_t>(std::min<long long>(highest, 0xFFFFFFFELL));
}

// A memo file that lost memos its records name (replaced by an empty copy,
// cut short by a crash) must not hand their blocks out again, or a new memo
// would read as an old record's text. Memos are appended, so the last record
// names the highest block unless memos were rewritten; only when it names a
// block the file does not reach are all records read.
void reserveNamedMemoBlocks(DbfTable& table, FptFile& memo) {
    const std::uint32_t count = table.recordCount();
    if (count == 0 || highestMemoBlock(table, count, count) < memo.nextFree()) return;
    memo.reserveBelow(highestMemoBlock(table, 1, count) + 1);
}

}  // namespace

Data4::Data4(Code4& code) : code_(code) {}

Data4::~Data4() = default;

short Data4::report(short code, const std::string& what) {
    code_.report(code, what + ": " + errorText(code));
    return code;
}

void Data4::reportError(short code, const std::string& text) {
    code_.report(code, text);
}

std::unique_ptr<Data4> Data4::open(Code4& code, const std::string& path, short& error) {
    std::unique_ptr<Data4> d(new Data4(code));
    std::string dbfPath = path;
    if (!hasExtension(path) && !fileSystem().exists(path)) dbfPath += ".dbf";
    error = d->openFiles(dbfPath);
    if (error != rc::kSuccess) {
        code.report(error, "Cannot open table " + dbfPath + ": " + errorText(error));
        return nullptr;
    }
    return d;
}

short Data4::openFiles(const std::string& dbfPath) {
    dbfPath_ = dbfPath;
    fptPath_ = companion(dbfPath, "fpt");
    cdxPath_ = companion(dbfPath, "cdx");
    short err = rc::kSuccess;
    dbf_ = DbfTable::open(dbfPath_, err);
    if (!dbf_) return err;
    denyWrite_ = code_.denyWrite;
    locks_ = std::make_unique<TableLocks>(dbf_->file(), dbf_->productionIndexFlag(),
                                          dbf_->headerLength(), dbf_->recordLength());
    if ((err = locks_->openAccess(denyWrite_)) != rc::kSuccess) return err;
    if ((err = finishInterruptedRewrite()) != rc::kSuccess) return err;
    if (dbf_->hasMemoFields() && !(fpt_ = FptFile::open(fptPath_, err))) return err;
    if (dbf_->productionIndexFlag() || fileSystem().exists(cdxPath_)) {
        cdx_ = CdxFile::open(cdxPath_, OpenMode::ReadWrite, err);
        if (!cdx_) return err;
    }
    std::size_t fields = dbf_->fields().size();
    blank_.assign(static_cast<std::size_t>(dbf_->recordLength()), ' ');
    buffer_ = stored_ = blank_;
    pendingMemo_.assign(fields, std::nullopt);
    memoCache_.assign(fields, std::nullopt);
    if (fpt_) reserveNamedMemoBlocks(*dbf_, *fpt_);
    view_.bind(dbf_.get(), fpt_.get());
    view_.show(buffer_.data(), 0, &pendingMemo_);
    for (std::size_t i = 0; i < fields; ++i)
        fieldHandles_.push_back(Field4{this, static_cast<int>(i)});
    if ((err = openTags()) != rc::kSuccess) return err;
    if ((err = repairIndex()) != rc::kSuccess) return err;
    err = top();
    return err < 0 ? err : rc::kSuccess;
}

short Data4::openTags() {
    if (!cdx_) return rc::kSuccess;
    for (CdxTag* t : cdx_->tags()) {
        auto tag = std::make_unique<Tag4>();
        tag->data = this;
        tag->tag = t;
        short err = rc::kSuccess;
        tag->key = Expression::compile(t->keyExpr(), view_, err);
        if (!tag->key) return err != rc::kSuccess ? err : rc::kExprSyntax;
        if (tag->key->width() != t->keyLength()) return rc::kIndex;
        t->setFiller(keyFiller(tag->key->type()));
        if (!t->forExpr().empty()) {
            tag->forExpr = Expression::compile(t->forExpr(), view_, err);
            if (!tag->forExpr) return err != rc::kSuccess ? err : rc::kExprSyntax;
            if (tag->forExpr->type() != ValueType::Logical) return rc::kExprType;
        }
        tags_.push_back(std::move(tag));
    }
    return rc::kSuccess;
}

short Data4::repairIndex() {
    std::uint32_t count = 0;
    auto matches = [&] { return cdx_->cleanState(count) && count == dbf_->recordCount(); };
    if (!cdx_ || !cdx_->hasMarker() || matches()) return rc::kSuccess;
    short err = acquireStructure();  // another handle may be between its table and index
    if (err != rc::kSuccess) return err;
    if (!matches() && (err = rebuildTags()) != rc::kSuccess) return err;
    return flushFiles();
}

std::unique_ptr<Data4> Data4::create(Code4& code, const std::string& path,
                                     const std::vector<FieldDesc>& fields,
                                     const std::vector<Tag4info>& tags, short& error) {
    std::string dbfPath = hasExtension(path) ? path : path + ".dbf";
    auto fail = [&](short err) -> std::unique_ptr<Data4> {
        error = err;
        code.report(err, "Cannot create table " + dbfPath + ": " + errorText(err));
        return nullptr;
    };
    {
        std::unique_ptr<DbfTable> dbf = DbfTable::create(dbfPath, fields, !tags.empty(), error);
        if (!dbf) return fail(error);
        if (dbf->hasMemoFields() && !FptFile::create(companion(dbfPath, "fpt"), 64, error))
            return fail(error);
        if (!tags.empty()) {
            std::unique_ptr<CdxFile> cdx = CdxFile::create(companion(dbfPath, "cdx"), error);
            if (!cdx) return fail(error);
            RecordView view;
            view.bind(dbf.get(), nullptr);
            std::string blank(static_cast<std::size_t>(dbf->recordLength()), ' ');
            view.show(blank.data(), 0, nullptr);
            for (const Tag4info& t : tags) {
                std::unique_ptr<Expression> key = Expression::compile(t.expression, view, error);
                if (!key) return fail(error != rc::kSuccess ? error : rc::kExprSyntax);
                if (!t.filter.empty()) {
                    auto forExpr = Expression::compile(t.filter, view, error);
                    if (!forExpr) return fail(error != rc::kSuccess ? error : rc::kExprSyntax);
                    if (forExpr->type() != ValueType::Logical) return fail(rc::kExprType);
                }
                CdxTagSpec spec{t.name,       t.expression,           t.filter,
                                key->width(), keyFiller(key->type()), t.unique};
                if (!cdx->addTag(spec, error))
                    return fail(error != rc::kSuccess ? error : rc::kIndex);
            }
            if ((error = cdx->flush(0, false)) != rc::kSuccess) return fail(error);
        }
    }
    return open(code, dbfPath, error);
}

short Data4::close() {
    short result = flush();
    if (structureHeld_) {  // a flush that failed still lets go of the table
        if (cdx_) cdx_->unlockWrite();
        locks_->unlockAppend();
        structureHeld_ = false;
    }
    if (locks_) locks_->unlockRecordsAndFile();
    return result;
}

std::vector<Data4::TagRef> Data4::tagRefs() {
    std::vector<TagRef> refs;
    for (const auto& t : tags_)
        refs.push_back(TagRef{t->tag, t->key.get(), t->forExpr.get()});
    return refs;
}

Tag4* Data4::tag(std::string_view name) {
    for (const auto& t : tags_)
        if (sameName(t->tag->name(), name)) return t.get();
    report(rc::kNoTag, "No tag " + std::string(name) + " in " + cdxPath_);
    return nullptr;
}

Field4* Data4::field(std::string_view name) {
    int i = dbf_->findField(name);
    if (i < 0) {
        report(rc::kFieldName, "No field " + std::string(name) + " in " + dbfPath_);
        return nullptr;
    }
    return &fieldHandles_[static_cast<std::size_t>(i)];
}

const char* Data4::fieldName(int field) const {
    return dbf_->fields()[static_cast<std::size_t>(field)].name.c_str();
}

std::shared_ptr<const Expression> Data4::compiledExpression(std::string_view text, short& error) {
    constexpr std::size_t kKept = 4;
    error = rc::kSuccess;
    const auto kept = std::find_if(compiled_.begin(), compiled_.end(),
                                   [text](const auto& e) { return e->source() == text; });
    if (kept != compiled_.end()) {
        std::rotate(kept, kept + 1, compiled_.end());
        return compiled_.back();
    }
    std::shared_ptr<const Expression> expr = Expression::compile(text, view_, error);
    if (!expr || error != rc::kSuccess) return nullptr;
    if (compiled_.size() == kKept) compiled_.erase(compiled_.begin());
    compiled_.push_back(expr);
    return expr;
}

const std::string& Data4::memoText(int field) {
    complete();
    auto& cached = memoCache_[static_cast<std::size_t>(field)];
    if (!cached) {
        if (dbf_->fields()[static_cast<std::size_t>(field)].type == 'M')
            cached = view_.memoText(field);
        else
            cached = std::string(view_.fieldBytes(field));
    }
    return *cached;
}

}  // namespace xbase
