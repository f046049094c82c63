// Read-only verification of a table, its memo file and its production index.
//
// Design note. The check runs in two passes over the files and never through
// a Data4, whose open would repair an index that does not match its table:
//  1. Files: the header's own numbers against the file's size (read raw, so
//     that a damaged header is described rather than only refused), then the
//     table, memo file and index opened by their own readers.
//  2. Records: one pass in record order reads every record, checks its memo
//     pointers and works out, for every tag, the key the record must have
//     (or that it must have none: FOR clause, later duplicate of a unique
//     key). Then each tag is walked once in its own order and every entry is
//     matched against that expectation; records never met are missing.
// Invariants: at most kExamples findings of one kind are listed, followed by
// their count; the expected keys take records x key length bytes per tag.
#include "xbase/verify.h"

#include <cstdio>
#include <map>
#include <memory>
#include <unordered_set>

#include "xbase/cdx_index.h"
#include "xbase/code4.h"
#include "xbase/dbf_table.h"
#include "xbase/field_codec.h"
#include "xbase/file_io.h"
#include "xbase/fpt_memo.h"
#include "xbase/record_view.h"
#include "xbase/return_codes.h"

namespace xbase {
namespace {

constexpr std::size_t kExamples = 5;
constexpr std::uint64_t kProgressStep = 4096;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// The memo file or index that goes with a table: same stem, the extension in
// upper case when the table's own extension is (KEYS.DBF and KEYS.CDX).
std::string companion(const std::string& dbfPath, std::string ext) {
    const std::size_t dot = dbfPath.find_last_of('.');
    const std::size_t slash = dbfPath.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return dbfPath + "." + ext;
    bool upper = dot + 1 < dbfPath.size();
    for (std::size_t i = dot + 1; i < dbfPath.size(); ++i)
        upper = upper && !(dbfPath[i] >= 'a' && dbfPath[i] <= 'z');
    if (upper)
        for (char& c : ext)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return dbfPath.substr(0, dot) + "." + ext;
}

std::string file_name(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Findings of one kind: the first few listed under a common prefix, then
// their number.
class Findings {
  public:
    Findings(std::vector<std::string>& out, std::string prefix)
        : out_(out), prefix_(std::move(prefix)) {}
    void add(const std::string& text) {
        if (++count_ <= kExamples) out_.push_back(prefix_ + text);
    }
    // "...: 12 <what> in all" when more were found than listed.
    void close(const std::string& what) {
        if (count_ > kExamples)
            out_.push_back(prefix_ + std::to_string(count_) + " " + what + " in all");
    }

  private:
    std::vector<std::string>& out_;
    std::string prefix_;
    std::size_t count_ = 0;
};

// The table, memo file and a view of one record buffer over them.
struct OpenTable {
    std::unique_ptr<DbfTable> dbf;
    std::unique_ptr<FptFile> memo;
    RecordView view;
    std::string record;

    void show(long recno) { view.show(record.data(), recno, nullptr); }
};

// Pass 1 for the table file itself: its header read raw. False when the
// table cannot be read any further.
bool check_header(const std::string& path, VerifyReport& report) {
    std::unique_ptr<File> file = fileSystem().open(path, OpenMode::ReadOnly);
    if (!file) {
        report.problems.push_back("the table cannot be opened (missing or unreadable)");
        return false;
    }
    const long long size = file->size();
    unsigned char fixed[32];
    if (size < 32 || !file->read(0, fixed, sizeof fixed)) {
        report.problems.push_back("the file (" + std::to_string(size) +
                                  " bytes) is shorter than a table header");
        return false;
    }
    if (fixed[0] != 0x03 && fixed[0] != 0xF5) {
        char text[80];
        std::snprintf(text, sizeof text,
                      "byte 0 of the header (0x%02X) names no known table version", fixed[0]);
        report.problems.push_back(text);
        return false;
    }
    const std::uint32_t count = le32(fixed + 4);
    const std::uint32_t headerLength = le16(fixed + 8);
    const std::uint32_t recordLength = le16(fixed + 10);
    report.records = count;
    if (headerLength < 65 || headerLength > static_cast<unsigned long long>(size) ||
        recordLength < 2) {
        report.problems.push_back("the header's lengths (header " + std::to_string(headerLength) +
                                  ", record " + std::to_string(recordLength) +
                                  " bytes) do not fit the file");
        return false;
    }
    const std::uint64_t end = headerLength + std::uint64_t(count) * recordLength;
    const auto bytes = static_cast<std::uint64_t>(size);
    if (end > bytes) {
        report.problems.push_back("the header names " + std::to_string(count) +
                                  " records, but the file holds only " +
                                  std::to_string((bytes - headerLength) / recordLength));
        return false;
    }
    unsigned char last = 0;
    if (bytes > end && !(bytes == end + 1 && file->read(end, &last, 1) && last == 0x1A)) {
        report.notes.push_back(std::to_string(bytes - end) +
                               " bytes follow the last counted record (an append that was never "
                               "counted; they are not part of the table)");
    }
    return true;
}

// Opens the table and its memo file; problems go to report when given. 0, or
// the code of a table that cannot be opened (a memo file that cannot be
// read leaves memo texts empty).
short open_table(const std::string& path, OpenTable& table, VerifyReport* report) {
    short error = rc::kSuccess;
    table.dbf = DbfTable::open(path, error);
    if (!table.dbf) {
        if (report)
            report->problems.push_back(std::string("the table cannot be read: ") +
                                       errorText(error));
        return error;
    }
    if (table.dbf->hasMemoFields()) {
        const std::string memoPath = companion(path, "fpt");
        if (report) report->memoFile = memoPath;
        table.memo = FptFile::open(memoPath, error);
        if (!table.memo && report)
            report->problems.push_back("the memo file " + file_name(memoPath) +
                                       " cannot be read: " + errorText(error));
    }
    table.record.assign(static_cast<std::size_t>(table.dbf->recordLength()), ' ');
    table.view.bind(table.dbf.get(), table.memo.get());
    table.show(0);
    return rc::kSuccess;
}

// A tag with its compiled expressions and what pass 2 found it must hold.
struct TagCheck {
    CdxTag* tag = nullptr;
    std::unique_ptr<Expression> key;
    std::unique_ptr<Expression> forExpr;
    std::string expected;                  // records x key length bytes
    std::vector<char> included;            // per record (index recno): it must have an entry
    std::unordered_set<std::string> seen;  // unique tags: keys met so far
};

std::string describe_key(const TagCheck& check, std::string_view key) {
    char text[64];
    switch (check.key->type()) {
        case ValueType::Numeric:
            std::snprintf(text, sizeof text, "%.15g", decodeNumericKey(key));
            return text;
        case ValueType::Date:
            return dateText(decodeNumericKey(key));
        default: {
            std::string shown(key);
            while (!shown.empty() && shown.back() == ' ')
                shown.pop_back();
            return "'" + shown + "'";
        }
    }
}

// Compiles the tag's expressions; false (with the problem) when they cannot
// serve as this tag's key.
bool prepare_tag(CdxTag* tag, OpenTable& table, TagCheck& check, VerifyReport& report) {
    const std::string prefix = "tag " + tag->name() + ": ";
    short error = rc::kSuccess;
    check.tag = tag;
    check.key = Expression::compile(tag->keyExpr(), table.view, error);
    if (!check.key) {
        report.problems.push_back(prefix + "its key expression " + tag->keyExpr() +
                                  " cannot be evaluated");
        return false;
    }
    if (check.key->width() != tag->keyLength()) {
        report.problems.push_back(prefix + "its keys are " + std::to_string(tag->keyLength()) +
                                  " bytes long, its expression gives " +
                                  std::to_string(check.key->width()));
        return false;
    }
    if (!tag->forExpr().empty()) {
        check.forExpr = Expression::compile(tag->forExpr(), table.view, error);
        if (!check.forExpr || check.forExpr->type() != ValueType::Logical) {
            report.problems.push_back(prefix + "its FOR clause " + tag->forExpr() +
                                      " cannot be evaluated");
            return false;
        }
    }
    tag->setFiller(keyFiller(check.key->type()));
    return true;
}

// Pass 2 for one record: the key each tag expects of it.
void expect_keys(TagCheck& check, const RecordSource& record) {
    bool included = !check.forExpr || check.forExpr->evaluate(record).logical;
    std::string key = check.key->key(record);
    key.resize(static_cast<std::size_t>(check.tag->keyLength()), check.tag->filler());
    if (included && check.tag->unique()) included = check.seen.insert(key).second;
    check.expected += key;
    check.included.push_back(included ? 1 : 0);
}

// Pass 2 for one record: its memo pointers. blocks maps each memo block met
// to the first record that points at it.
void check_memos(OpenTable& table, std::uint32_t recno, std::map<long long, std::uint32_t>& blocks,
                 Findings& findings) {
    const auto& fields = table.dbf->fields();
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type != 'M') continue;
        auto where = [&] {
            return "record " + std::to_string(recno) + ", memo field " + fields[i].name + ": ";
        };
        const long long block = memoBlock(table.view.fieldBytes(static_cast<int>(i)));
        if (block < 0) {
            findings.add(where() + "holds no block number");
        } else if (block > 0 && table.memo) {
            if (table.memo->read(static_cast<std::uint32_t>(block), text) != rc::kSuccess) {
                findings.add(where() + "points at block " + std::to_string(block) +
                             ", where the memo file holds no memo");
            } else if (auto [at, fresh] = blocks.emplace(block, recno); !fresh) {
                findings.add(where() + "shares block " + std::to_string(block) + " with record " +
                             std::to_string(at->second));
            }
        }
    }
}

// Pass 2, the walk of one tag against what its records expect.
void walk_tag(TagCheck& check, std::uint32_t records, VerifyReport& report,
              const std::function<void()>& step) {
    const std::string prefix = "tag " + check.tag->name() + ": ";
    const auto keyLength = static_cast<std::size_t>(check.tag->keyLength());
    Findings wrong(report.problems, prefix), extra(report.problems, prefix),
        missing(report.problems, prefix), order(report.problems, prefix);
    std::vector<char> met(static_cast<std::size_t>(records) + 1, 0);
    std::string previous;
    std::uint32_t previousRecno = 0;
    std::uint64_t entries = 0;

    CdxCursor cursor(*check.tag);
    for (bool on = cursor.first(); on; on = cursor.next()) {
        const std::string_view key = cursor.key();
        const std::uint32_t recno = cursor.recNo();
        if (entries++ > 0 && (key < previous || (key == previous && recno <= previousRecno)))
            order.add("the entry of record " + std::to_string(recno) + " stands out of order");
        previous.assign(key);
        previousRecno = recno;
        step();
        if (recno < 1 || recno > records) {
            extra.add("an entry for record " + std::to_string(recno) +
                      ", which the table does not have");
            continue;
        }
        if (met[recno]) {
            extra.add("a second entry for record " + std::to_string(recno));
            continue;
        }
        met[recno] = 1;
        if (!check.included[recno - 1]) {
            extra.add("an entry for record " + std::to_string(recno) +
                      ", which the tag leaves out");
            continue;
        }
        const std::string_view expected(check.expected.data() + (recno - 1) * keyLength, keyLength);
        if (key != expected)
            wrong.add("record " + std::to_string(recno) + " is indexed under " +
                      describe_key(check, key) + ", its record gives " +
                      describe_key(check, expected));
    }
    if (cursor.error() != rc::kSuccess)
        report.problems.push_back(prefix + "the walk stopped at a damaged page after " +
                                  std::to_string(entries) + " entries");
    for (std::uint32_t recno = 1; recno <= records; ++recno)
        if (check.included[recno - 1] && !met[recno])
            missing.add("record " + std::to_string(recno) + " has no entry");
    wrong.close("entries differ from their records");
    extra.close("entries too many");
    missing.close("records without an entry");
    order.close("entries out of order");
}

// Opens the production index and prepares its tags; false when there is
// none to check.
bool open_index(const std::string& path, OpenTable& table, std::unique_ptr<CdxFile>& cdx,
                std::vector<TagCheck>& checks, VerifyReport& report) {
    const std::string cdxPath = companion(path, "cdx");
    if (!table.dbf->productionIndexFlag() && !fileSystem().exists(cdxPath)) return false;
    report.indexFile = cdxPath;
    short error = rc::kSuccess;
    cdx = CdxFile::open(cdxPath, OpenMode::ReadOnly, error);
    if (!cdx) {
        report.indexReadable = false;
        report.problems.push_back("the index " + file_name(cdxPath) +
                                  " cannot be read: " + errorText(error));
        return false;
    }
    std::uint32_t count = 0;
    if (cdx->hasMarker() && !cdx->cleanState(count)) {
        report.notes.push_back(
            "the index was being written when it was last closed; opening the "
            "table rebuilds it");
    } else if (cdx->hasMarker() && count != report.records) {
        report.notes.push_back("the index was last written for " + std::to_string(count) +
                               " records, the table has " + std::to_string(report.records) +
                               "; opening the table rebuilds it");
    }
    for (CdxTag* tag : cdx->tags()) {
        report.tags.push_back(tag->name());
        TagCheck check;
        if (prepare_tag(tag, table, check, report)) checks.push_back(std::move(check));
    }
    return true;
}

}  // namespace

VerifyReport verifyTable(const std::string& dbfPath, VerifyDepth depth,
                         const VerifyProgress& progress) {
    VerifyReport report;
    report.table = dbfPath;
    if (!check_header(dbfPath, report)) return report;
    OpenTable table;
    if (open_table(dbfPath, table, &report) != rc::kSuccess) return report;
    report.tableReadable = true;
    std::unique_ptr<CdxFile> cdx;
    std::vector<TagCheck> checks;
    open_index(dbfPath, table, cdx, checks, report);
    if (depth == VerifyDepth::Files) return report;

    const std::uint32_t records = table.dbf->recordCount();
    const std::uint64_t total = std::uint64_t(records) * (1 + checks.size());
    std::uint64_t done = 0;
    auto step = [&] {
        if (progress && (++done % kProgressStep == 0 || done == total)) progress(done, total);
    };
    for (TagCheck& check : checks) {
        check.expected.reserve(std::size_t(records) *
                               static_cast<std::size_t>(check.tag->keyLength()));
        check.included.reserve(records);
    }

    Findings memoFindings(report.problems, "");
    std::map<long long, std::uint32_t> blocks;
    for (std::uint32_t recno = 1; recno <= records; ++recno) {
        if (short error = table.dbf->read(recno, table.record.data()); error != rc::kSuccess) {
            report.problems.push_back("record " + std::to_string(recno) +
                                      " cannot be read: " + errorText(error));
            return report;
        }
        table.show(static_cast<long>(recno));
        check_memos(table, recno, blocks, memoFindings);
        for (TagCheck& check : checks)
            expect_keys(check, table.view);
        step();
    }
    memoFindings.close("memo pointers wrong");
    for (TagCheck& check : checks)
        walk_tag(check, records, report, step);
    if (progress && total > 0 && done != total) progress(total, total);
    return report;
}

short scanTable(const std::string& dbfPath, const std::function<void(const RecordSource&)>& visit) {
    OpenTable table;
    short error = open_table(dbfPath, table, nullptr);
    if (error != rc::kSuccess) return error;
    const std::uint32_t records = table.dbf->recordCount();
    for (std::uint32_t recno = 1; recno <= records; ++recno) {
        if ((error = table.dbf->read(recno, table.record.data())) != rc::kSuccess) return error;
        table.show(static_cast<long>(recno));
        visit(table.view);
    }
    return rc::kSuccess;
}

}  // namespace xbase
