// Benchmark of the query relations on a keyword table built from real English
// text, beside SQLite answering the same whole-word query on an equivalent
// indexed table in the same run.
//
//   bench_relate [--records N] [--dir DIR] [--corpus DIR] [--runs R] [--case I]
//                [--budget RUNS] [--ratio ENTRIES] [--cap CANDIDATES] [--clock wall|cpu]
//
// Builds DIR/Keys.dbf (+ .cdx) and DIR/keys.sqlite with N keyword records
// (default 200,000) unless they are already there, then times, as the search
// runs them (relation set up, walked, Items read per record, released):
//  - a three-keyword whole-word query delivering all its records, sorted;
//  - the queries of the search strings "*" and "a*" delivering the records of
//    their first 100 documents (up to the 101st document's first record);
// and reports the median and 90th percentile time, the records delivered, the
// CDX pages one cold run reads, and the peak memory of the query phase.
// --clock cpu times the thread's CPU time instead of the wall clock: steadier
// on a machine shared with other work.
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/bench_keywords.h"
#include "xbase/code4.h"
#include "xbase/d4.h"
#include "xbase/data4.h"
#include "xbase/file_io.h"
#include "xbase/relate4.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool cpuClock = false;  // --clock cpu

// Seconds on the chosen clock.
double now() {
    if (cpuClock) {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// --- Reads of .cdx files, counted through the engine's file-system door -----

class CountingFile : public xbase::File {
  public:
    CountingFile(std::unique_ptr<xbase::File> inner, std::uint64_t* counter)
        : inner_(std::move(inner)), counter_(counter) {
        path_ = inner_->path();
    }
    bool read(std::uint64_t off, void* buf, std::size_t n) override {
        count();
        return inner_->read(off, buf, n);
    }
    long long readSome(std::uint64_t off, void* buf, std::size_t n) override {
        count();
        return inner_->readSome(off, buf, n);
    }
    bool write(std::uint64_t off, const void* buf, std::size_t n) override {
        return inner_->write(off, buf, n);
    }
    long long size() override { return inner_->size(); }
    bool truncate(std::uint64_t length) override { return inner_->truncate(length); }
    bool sync() override { return inner_->sync(); }
    bool lock(std::uint64_t off, std::uint64_t len, xbase::LockKind kind, bool wait) override {
        return inner_->lock(off, len, kind, wait);
    }
    bool unlock(std::uint64_t off, std::uint64_t len) override { return inner_->unlock(off, len); }

  private:
    void count() {
        if (counter_ != nullptr) ++*counter_;
    }
    std::unique_ptr<xbase::File> inner_;
    std::uint64_t* counter_;
};

class CountingFileSystem : public xbase::FileSystem {
  public:
    explicit CountingFileSystem(xbase::FileSystem& real) : real_(real) {}
    std::unique_ptr<xbase::File> open(const std::string& path, xbase::OpenMode mode) override {
        return wrap(real_.open(path, mode), path);
    }
    std::unique_ptr<xbase::File> create(const std::string& path) override {
        return wrap(real_.create(path), path);
    }
    bool exists(const std::string& path) override { return real_.exists(path); }
    bool remove(const std::string& path) override { return real_.remove(path); }
    bool rename(const std::string& from, const std::string& to) override {
        return real_.rename(from, to);
    }
    std::uint64_t indexReads = 0;
    std::uint64_t tableReads = 0;

  private:
    std::unique_ptr<xbase::File> wrap(std::unique_ptr<xbase::File> file, const std::string& path) {
        if (!file) return file;
        const bool index = path.size() > 4 && (path.ends_with(".cdx") || path.ends_with(".CDX"));
        return std::make_unique<CountingFile>(std::move(file), index ? &indexReads : &tableReads);
    }
    xbase::FileSystem& real_;
};

using bench::KeyRecord;
using bench::upperTrimmed;

// --- The tables ---------------------------------------------------------------

bool check(int rc, sqlite3* db, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    std::fprintf(stderr, "sqlite: %s: %s\n", what, sqlite3_errmsg(db));
    return false;
}

bool buildTables(const std::string& dir, const std::vector<KeyRecord>& records) {
    xbase::Code4 code;
    short error = 0;
    const std::vector<xbase::FieldDesc> fields = {
        {"KEYS", 'C', 10, 0}, {"ITEMS", 'N', 10, 0}, {"ORDER", 'N', 6, 0}, {"FILTER", 'C', 10, 0}};
    const std::vector<xbase::Tag4info> tags = {{"KEYITEMS", "UPPER(KEYS)+STR(ITEMS)", "", false},
                                               {"ITEMS", "ITEMS", "", false}};
    auto data = xbase::Data4::create(code, dir + "/Keys.dbf", fields, tags, error);
    if (!data) return false;
    for (const KeyRecord& r : records) {
        data->appendStart();
        data->assign(0, r.key);
        data->assign(1, std::to_string(r.items));
        data->assign(2, std::to_string(r.order));
        if (data->append() != 0) return false;
    }
    if (data->close() != 0) return false;

    sqlite3* db = nullptr;
    if (sqlite3_open((dir + "/keys.sqlite").c_str(), &db) != SQLITE_OK) return false;
    bool ok = check(sqlite3_exec(db,
                                 "CREATE TABLE keys(key TEXT, items INTEGER, ord INTEGER);"
                                 "BEGIN;",
                                 nullptr, nullptr, nullptr),
                    db, "create");
    sqlite3_stmt* insert = nullptr;
    ok = ok &&
         check(sqlite3_prepare_v2(db, "INSERT INTO keys VALUES(?, ?, ?)", -1, &insert, nullptr), db,
               "prepare");
    for (const KeyRecord& r : records) {
        if (!ok) break;
        const std::string key = upperTrimmed(r.key);
        sqlite3_bind_text(insert, 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, r.items);
        sqlite3_bind_int64(insert, 3, r.order);
        ok = check(sqlite3_step(insert), db, "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && check(sqlite3_exec(db,
                                  "COMMIT; CREATE INDEX keys_key ON keys(key, items);"
                                  "CREATE INDEX keys_items ON keys(items); ANALYZE;",
                                  nullptr, nullptr, nullptr),
                     db, "index");
    sqlite3_close(db);
    return ok;
}

// --- Measuring ----------------------------------------------------------------

struct Result {
    double seconds = 0;
    long records = 0;
};

// A search as the program runs it: the relation made, walked until `documents`
// documents are complete (0: to the end), Items read per record, released.
xbase::CursorTuning tuning;  // --budget, --ratio, --cap: to compare strategies

Result runSearch(xbase::Data4& data, const std::string& query, long documents) {
    const double start = now();
    Result result;
    xbase::Relate4* r = xbase::relate4init(&data);
    xbase::relate4tune(r, tuning);
    xbase::relate4querySet(r, query.c_str());
    xbase::relate4sortSet(r, "Items");
    xbase::relate4optimizeable(r);
    xbase::relate4skipEnableVB(r, 1);
    xbase::Field4* items = xbase::d4field(&data, "Items");
    std::string previous;
    long seen = 0;
    for (short rc = xbase::relate4top(r); rc == 0; rc = xbase::relate4skip(r, 1)) {
        const std::string_view cur(xbase::f4ptr(items),
                                   static_cast<std::size_t>(xbase::f4len_v(items)));
        if (cur != previous) {
            if (documents > 0 && ++seen > documents) break;
            previous.assign(cur);
        }
        ++result.records;
    }
    xbase::relate4freeVB(r, 0);
    result.seconds = now() - start;
    return result;
}

Result runSqlite(sqlite3_stmt* stmt, const std::vector<std::string>& words) {
    const double start = now();
    Result result;
    for (std::size_t i = 0; i < words.size(); ++i) {
        sqlite3_bind_text(stmt, static_cast<int>(i + 1), words[i].c_str(), -1, SQLITE_STATIC);
    }
    long long sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        sum += sqlite3_column_int64(stmt, 0);
        ++result.records;
    }
    sqlite3_reset(stmt);
    result.seconds = now() - start + (sum < 0);
    return result;
}

struct Summary {
    double median = 0, p90 = 0;
    long records = 0;
};

Summary summarize(std::vector<double> times, long records) {
    std::sort(times.begin(), times.end());
    Summary s;
    s.median = times[times.size() / 2];
    s.p90 = times[std::min(times.size() - 1, times.size() * 9 / 10)];
    s.records = records;
    return s;
}

// Runs run `runs` times and, when other is given, other after each run, so
// that both meet the same moments of a shared machine; ratio is the median
// of run's time over other's, run by run.
template <typename Run>
Summary measure(int runs, Run run, const std::function<Result()>& other = {},
                Summary* otherSummary = nullptr, double* ratio = nullptr) {
    std::vector<double> times, otherTimes, ratios;
    long records = 0, otherRecords = 0;
    for (int i = 0; i < runs; ++i) {
        const Result r = run();
        times.push_back(r.seconds);
        records = r.records;
        if (!other) continue;
        const Result o = other();
        otherTimes.push_back(o.seconds);
        otherRecords = o.records;
        ratios.push_back(r.seconds / o.seconds);
    }
    if (other) {
        *otherSummary = summarize(otherTimes, otherRecords);
        *ratio = summarize(ratios, 0).median;
    }
    return summarize(times, records);
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

std::string searchTerm(const std::string& literal) {
    return "UPPER(Keys) + STR(Items) = '" + literal + "'";
}

// Three whole words of typical frequency: the ranks 100, 300 and 1000 of the
// words of 2 to 9 letters.
std::vector<std::string> typicalWords(const std::vector<KeyRecord>& records) {
    std::map<std::string, long> counts;
    for (const KeyRecord& r : records) {
        const std::string key = upperTrimmed(r.key);
        if (key.size() >= 2 && key.size() <= 9 &&
            std::all_of(key.begin(), key.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
            ++counts[key];
        }
    }
    std::vector<std::pair<long, std::string>> ranked;
    for (const auto& [word, n] : counts)
        ranked.emplace_back(-n, word);
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> out;
    for (std::size_t rank : {100u, 300u, 1000u}) {
        if (rank < ranked.size()) out.push_back(ranked[rank].second);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t records = 200000;
    std::string dir, corpus = bench::kDefaultCorpus;
    int runs = 21;
    int only = -1;  // --case N: run only that query (for profiling)
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--records") records = std::strtoul(argv[i + 1], nullptr, 10);
        if (arg == "--dir") dir = argv[i + 1];
        if (arg == "--corpus") corpus = argv[i + 1];
        if (arg == "--runs") runs = std::atoi(argv[i + 1]);
        if (arg == "--case") only = std::atoi(argv[i + 1]);
        if (arg == "--clock") cpuClock = std::string(argv[i + 1]) == "cpu";
        if (arg == "--budget") tuning.mergeBudget = std::strtoul(argv[i + 1], nullptr, 10);
        if (arg == "--ratio") tuning.collectRatio = std::strtoul(argv[i + 1], nullptr, 10);
        if (arg == "--cap") tuning.collectCap = std::strtoul(argv[i + 1], nullptr, 10);
    }
    if (dir.empty()) dir = "/tmp/bench_relate_" + std::to_string(records);
    if (!fs::exists(corpus)) {
        std::fprintf(stderr, "no corpus at %s (apt-get install linux-doc-6.1)\n", corpus.c_str());
        return 1;
    }
    // The table, its SQLite twin and the chosen words are built once per
    // directory; later runs read the words back instead of the corpus.
    std::vector<std::string> words;
    std::size_t recordCount = 0;
    long documentCount = 0;
    const std::string wordsPath = dir + "/words.txt";
    if (!fs::exists(dir + "/Keys.dbf") || !fs::exists(wordsPath)) {
        std::vector<KeyRecord> corpusKeys = bench::corpusRecords(corpus, records);
        words = typicalWords(corpusKeys);
        recordCount = corpusKeys.size();
        documentCount = corpusKeys.empty() ? 0 : corpusKeys.back().items;
        fs::create_directories(dir);
        const auto start = Clock::now();
        if (!buildTables(dir, corpusKeys)) {
            std::fprintf(stderr, "building the tables in %s failed\n", dir.c_str());
            return 1;
        }
        std::printf("built %zu records (%ld documents) in %.1f s\n", recordCount, documentCount,
                    std::chrono::duration<double>(Clock::now() - start).count());
        std::ofstream out(wordsPath);
        out << recordCount << ' ' << documentCount;
        for (const std::string& w : words)
            out << ' ' << w;
    } else {
        std::ifstream in(wordsPath);
        in >> recordCount >> documentCount;
        for (std::string w; in >> w;)
            words.push_back(w);
    }
    std::printf("table: %s, %zu keyword records, %ld documents; words %s %s %s\n", dir.c_str(),
                recordCount, documentCount, words.size() > 0 ? words[0].c_str() : "?",
                words.size() > 1 ? words[1].c_str() : "?",
                words.size() > 2 ? words[2].c_str() : "?");
    if (words.size() < 3) return 1;

    malloc_trim(0);  // the corpus is gone: measure the query phase from here
    std::ofstream("/proc/self/clear_refs") << "5";
    CountingFileSystem counting(xbase::fileSystem());
    xbase::setFileSystem(&counting);
    xbase::Code4 code;
    short error = 0;
    auto data = xbase::Data4::open(code, dir + "/Keys.dbf", error);
    if (!data) return 1;

    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2((dir + "/keys.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(db,
                           "SELECT items FROM keys WHERE key = ?1 OR key = ?2 OR key = ?3 "
                           "ORDER BY items",
                           -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    runSqlite(stmt, words);  // warm-up
    Summary sqlite;
    double ratio = 0;

    const std::string three = searchTerm(words[0] + " ") + " .OR. " + searchTerm(words[1] + " ") +
                              " .OR. " + searchTerm(words[2] + " ");
    struct Case {
        const char* name;
        std::string query;
        long documents;
    };
    const std::vector<Case> cases = {{"3 whole words, all records", three, 0},
                                     {"\"*\", first 100 documents", searchTerm(""), 100},
                                     {"\"a*\", first 100 documents", searchTerm("A"), 100},
                                     {"\"pro*\", first 100 documents", searchTerm("PRO"), 100}};
    std::printf("%-30s %10s %10s %9s %11s %11s %9s\n", "query", "median ms", "p90 ms", "records",
                "cold pages", "warm reads", "strategy");
    for (const Case& c : cases) {
        if (only >= 0 && &c != &cases[static_cast<std::size_t>(only)]) continue;
        // Pages: one run on a freshly opened table, its index cache empty.
        xbase::Code4 coldCode;
        auto cold = xbase::Data4::open(coldCode, dir + "/Keys.dbf", error);
        const std::uint64_t before = counting.indexReads;
        runSearch(*cold, c.query, c.documents);
        const std::uint64_t pages = counting.indexReads - before;
        cold.reset();
        xbase::Relate4* probe = xbase::relate4init(data.get());
        xbase::relate4tune(probe, tuning);
        xbase::relate4querySet(probe, c.query.c_str());
        xbase::relate4sortSet(probe, "Items");
        xbase::relate4top(probe);
        const int strategy = static_cast<int>(xbase::relate4strategy(probe));
        xbase::relate4freeVB(probe, 0);
        runSearch(*data, c.query, c.documents);  // warm-up
        const std::uint64_t readsBefore = counting.indexReads + counting.tableReads;
        // The three words run turn about with SQLite's equivalent query.
        const bool paired = &c == &cases[0];
        const Summary s = measure(
            runs, [&] { return runSearch(*data, c.query, c.documents); },
            paired ? std::function<Result()>([&] { return runSqlite(stmt, words); }) : nullptr,
            &sqlite, &ratio);
        const double warmReads =
            static_cast<double>(counting.indexReads + counting.tableReads - readsBefore) / runs;
        static const char* const names[] = {"empty", "merge", "walk", "race", "collect"};
        std::printf("%-30s %10.3f %10.3f %9ld %11llu %11.1f %9s\n", c.name, s.median * 1e3,
                    s.p90 * 1e3, s.records, static_cast<unsigned long long>(pages), warmReads,
                    names[strategy]);
    }

    if (only <= 0) {
        std::printf("%-30s %10.3f %10.3f %9ld\n", "SQLite, 3 whole words", sqlite.median * 1e3,
                    sqlite.p90 * 1e3, sqlite.records);
        std::printf("3 whole words: ours / SQLite, median of run-by-run ratios: %.2f\n", ratio);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    xbase::setFileSystem(nullptr);
    std::printf("peak memory of the query phase: %.1f MB (VmHWM)\n", statusKb("VmHWM:") / 1024.0);
    return 0;
}
