// Benchmark of the table engine beside SQLite doing the same work in the same
// run, on keyword records made from real English text:
//  - append: N keyword records into an empty Keys table with both its tags
//    (KEYITEMS on UPPER(KEYS)+STR(ITEMS), ITEMS on ITEMS) kept, flushed every
//    500 records, through the d4 calls Create Index uses; SQLite inserts the
//    same rows into a table with the two equivalent indexes, committing
//    every 500 rows (synchronous=OFF in WAL mode: like d4flush without sync,
//    the writes reach the operating system, not the disk);
//  - seek: S random seeks of existing UPPER(KEYS)+STR(ITEMS) keys, reading
//    the ORDER field of the record found; SQLite looks the same rows up
//    through its (upper(keys), items) index;
//  - walk: every record in KEYITEMS order, reading ORDER of each; SQLite
//    walks its (upper(keys), items) index reading ord of each row.
// Each figure is the median of --repeat runs (engine and SQLite alternate),
// with the peak memory (VmHWM) of each phase. --clock cpu times the process's
// CPU time (user and system) instead of the wall clock: steadier on a machine
// shared with other work. --reuse 1 keeps the tables of an earlier run and
// skips the appends; --side ours (or sqlite) runs one engine only, for
// profiling.
//
//   bench_engine [--records N] [--seeks S] [--repeat R] [--dir DIR] [--corpus DIR]
//                [--clock wall|cpu] [--reuse 0|1] [--side both|ours|sqlite]
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
#include <random>
#include <string>
#include <vector>

#include "tools/bench_keywords.h"
#include "xbase/d4.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::KeyRecord;

constexpr int kFlushEvery = 500;

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

// Starts a phase's memory peak from what the process holds now.
void resetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMb() {
    return statusKb("VmHWM:") / 1024.0;
}

bool cpuClock = false;  // --clock cpu

// Seconds on the chosen clock.
double now() {
    if (cpuClock) {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

double secondsSince(double start) {
    return now() - start;
}

bool sqliteOk(int rc, sqlite3* db, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    std::fprintf(stderr, "sqlite: %s: %s\n", what, sqlite3_errmsg(db));
    return false;
}

// A keyword record held compactly for the run (the corpus itself is freed):
// KEYS blank-padded to its width, as the table stores it.
struct Row {
    char keys[10];
    std::int32_t items;
    std::int32_t order;
};

std::vector<Row> compactRows(const std::string& corpus, std::size_t count) {
    const std::vector<KeyRecord> records = bench::corpusRecords(corpus, count);
    std::vector<Row> rows(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::memset(rows[i].keys, ' ', sizeof rows[i].keys);
        std::memcpy(rows[i].keys, records[i].key.data(),
                    std::min(records[i].key.size(), sizeof rows[i].keys));
        rows[i].items = static_cast<std::int32_t>(records[i].items);
        rows[i].order = static_cast<std::int32_t>(records[i].order);
    }
    return rows;
}

// Random records to seek, the same for both engines.
std::vector<std::uint32_t> seekTargets(std::size_t rows, std::size_t count) {
    std::mt19937_64 random(20240601);
    std::uniform_int_distribution<std::uint32_t> pick(0, static_cast<std::uint32_t>(rows - 1));
    std::vector<std::uint32_t> out(count);
    for (std::uint32_t& target : out)
        target = pick(random);
    return out;
}

// UPPER(KEYS) + STR(ITEMS) of row into out (20 bytes): the key to seek.
// SQLite's upper() changes ASCII letters only, so its key is made that way.
void seekKey(const Row& row, char* out, bool asciiUpper = false) {
    for (std::size_t i = 0; i < sizeof row.keys; ++i) {
        const auto c = static_cast<unsigned char>(row.keys[i]);
        out[i] = static_cast<char>(asciiUpper ? (c >= 'a' && c <= 'z' ? c - 32 : c)
                                              : xbase::upperCp1252(c));
    }
    long n = row.items;
    for (int i = 19; i >= 10; --i) {
        out[i] = n > 0 || i == 19 ? static_cast<char>('0' + n % 10) : ' ';
        n /= 10;
    }
}

// --- The engine ---------------------------------------------------------------

struct Engine {
    xbase::Code4* code = nullptr;
    xbase::Data4* data = nullptr;
    xbase::Field4 *keys = nullptr, *items = nullptr, *order = nullptr;

    ~Engine() {
        if (code != nullptr) xbase::d4initUndo(code);
    }
    bool bind() {
        if (data == nullptr) return false;
        keys = xbase::d4field(data, "KEYS");
        items = xbase::d4field(data, "ITEMS");
        order = xbase::d4field(data, "ORDER");
        return keys && items && order;
    }
    bool create(const std::string& path) {
        code = xbase::d4init_v();
        const std::vector<xbase::Field4info> fields = {{"KEYS", 'C', 10, 0},
                                                       {"ITEMS", 'N', 10, 0},
                                                       {"ORDER", 'N', 6, 0},
                                                       {"FILTER", 'C', 10, 0}};
        const std::vector<xbase::Tag4info> tags = {
            {"KEYITEMS", "UPPER(KEYS)+STR(ITEMS)", "", false}, {"ITEMS", "ITEMS", "", false}};
        data = xbase::d4create(code, path.c_str(), fields, tags);
        return bind();
    }
    bool open(const std::string& path) {
        code = xbase::d4init_v();
        data = xbase::d4open(code, path.c_str());
        return bind() && xbase::d4tagSelect(data, xbase::d4tag(data, "KEYITEMS")) == 0;
    }
};

void assignText(xbase::Field4* field, const std::string& text) {
    xbase::f4assignNVB(field, text.c_str(), static_cast<short>(text.size()));
}

double engineAppend(const std::string& path, const std::vector<Row>& rows) {
    const double start = now();
    Engine e;
    if (!e.create(path)) return -1;
    int sinceFlush = 0;
    for (const Row& r : rows) {
        xbase::d4appendStartVB(e.data, 0);
        xbase::f4assignNVB(e.keys, r.keys, sizeof r.keys);
        assignText(e.items, std::to_string(r.items));
        assignText(e.order, std::to_string(r.order));
        if (xbase::d4append(e.data) != 0) return -1;
        xbase::d4unlock(e.data);
        if (++sinceFlush == kFlushEvery) {
            sinceFlush = 0;
            if (xbase::d4flush(e.data) != 0) return -1;
        }
    }
    if (xbase::d4close(e.data) != 0) return -1;
    e.data = nullptr;
    return secondsSince(start);
}

double engineSeek(const std::string& path, const std::vector<Row>& rows,
                  const std::vector<std::uint32_t>& targets, long& sum) {
    Engine e;
    if (!e.open(path)) return -1;
    const double start = now();
    sum = 0;
    char key[21] = {};
    for (std::uint32_t t : targets) {
        seekKey(rows[t], key);
        if (xbase::d4seek(e.data, key) != 0) return -1;
        sum += xbase::f4long(e.order);
    }
    return secondsSince(start);
}

double engineWalk(const std::string& path, long& rows, long& sum) {
    Engine e;
    if (!e.open(path)) return -1;
    const double start = now();
    rows = sum = 0;
    for (short rc = xbase::d4top(e.data); rc == 0; rc = xbase::d4skip(e.data, 1)) {
        sum += xbase::f4long(e.order);
        ++rows;
    }
    return secondsSince(start);
}

// --- SQLite -------------------------------------------------------------------

struct Sqlite {
    sqlite3* db = nullptr;
    ~Sqlite() { sqlite3_close(db); }
    bool open(const std::string& path, bool create) {
        if (create) {
            fs::remove(path);
            fs::remove(path + "-wal");
            fs::remove(path + "-shm");
        }
        return sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
               exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;");
    }
    bool exec(const char* sql) {
        return sqliteOk(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql);
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        if (!sqliteOk(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), db, sql)) return nullptr;
        return stmt;
    }
};

double sqliteAppend(const std::string& path, const std::vector<Row>& rows) {
    const double start = now();
    Sqlite s;
    if (!s.open(path, true) ||
        !s.exec("CREATE TABLE keys(keys TEXT, items INTEGER, ord INTEGER, filter TEXT);"
                "CREATE INDEX keyitems ON keys(upper(keys), items);"
                "CREATE INDEX items ON keys(items);")) {
        return -1;
    }
    sqlite3_stmt* insert = s.prepare("INSERT INTO keys VALUES(?1, ?2, ?3, '')");
    if (insert == nullptr || !s.exec("BEGIN")) return -1;
    int sinceCommit = 0;
    for (const Row& r : rows) {
        sqlite3_bind_text(insert, 1, r.keys, sizeof r.keys, SQLITE_STATIC);
        sqlite3_bind_int64(insert, 2, r.items);
        sqlite3_bind_int64(insert, 3, r.order);
        const bool ok = sqliteOk(sqlite3_step(insert), s.db, "insert");
        sqlite3_reset(insert);
        if (!ok) return -1;
        if (++sinceCommit == kFlushEvery) {
            sinceCommit = 0;
            if (!s.exec("COMMIT; BEGIN")) return -1;
        }
    }
    sqlite3_finalize(insert);
    if (!s.exec("COMMIT")) return -1;
    return secondsSince(start);
}

double sqliteSeek(const std::string& path, const std::vector<Row>& rows,
                  const std::vector<std::uint32_t>& targets, long& sum) {
    Sqlite s;
    if (!s.open(path, false)) return -1;
    sqlite3_stmt* stmt =
        s.prepare("SELECT ord FROM keys WHERE upper(keys) = ?1 AND items = ?2 LIMIT 1");
    if (stmt == nullptr) return -1;
    const double start = now();
    sum = 0;
    char key[20];
    for (std::uint32_t t : targets) {
        seekKey(rows[t], key, true);
        sqlite3_bind_text(stmt, 1, key, 10, SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 2, rows[t].items);
        if (sqlite3_step(stmt) != SQLITE_ROW) return -1;
        sum += sqlite3_column_int64(stmt, 0);
        sqlite3_reset(stmt);
    }
    const double seconds = secondsSince(start);
    sqlite3_finalize(stmt);
    return seconds;
}

double sqliteWalk(const std::string& path, long& rows, long& sum) {
    Sqlite s;
    if (!s.open(path, false)) return -1;
    sqlite3_stmt* stmt = s.prepare("SELECT ord FROM keys ORDER BY upper(keys), items");
    if (stmt == nullptr) return -1;
    const double start = now();
    rows = sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        sum += sqlite3_column_int64(stmt, 0);
        ++rows;
    }
    const double seconds = secondsSince(start);
    sqlite3_finalize(stmt);
    return seconds;
}

// --- Reporting ----------------------------------------------------------------

struct Figure {
    std::vector<double> seconds;
    double peak = 0;
    double median() const {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0 : s[s.size() / 2];
    }
};

// Runs one measurement, keeping its time and the phase's memory peak.
bool measure(Figure& figure, const std::function<double()>& run) {
    resetPeak();
    const double seconds = run();
    figure.peak = std::max(figure.peak, peakMb());
    if (seconds < 0) return false;
    figure.seconds.push_back(seconds);
    return true;
}

void report(const char* what, std::size_t count, const Figure& ours, const Figure& theirs) {
    const double a = ours.median(), b = theirs.median();
    std::printf("%-8s %9zu %10.3f %10.3f %9.0f %9.0f %7.2f %8.1f %8.1f\n", what, count, a, b,
                count / a, count / b, a / b, ours.peak, theirs.peak);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t records = 1000000, seeks = 1000000;
    int repeat = 1;
    std::string dir = "/tmp/bench_engine", corpus = bench::kDefaultCorpus, side = "both";
    bool reuse = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--records") records = std::strtoul(argv[i + 1], nullptr, 10);
        if (arg == "--seeks") seeks = std::strtoul(argv[i + 1], nullptr, 10);
        if (arg == "--repeat") repeat = std::max(1, std::atoi(argv[i + 1]));
        if (arg == "--dir") dir = argv[i + 1];
        if (arg == "--corpus") corpus = argv[i + 1];
        if (arg == "--clock") cpuClock = std::string(argv[i + 1]) == "cpu";
        if (arg == "--reuse") reuse = std::atoi(argv[i + 1]) != 0;
        if (arg == "--side") side = argv[i + 1];
    }
    if (!fs::exists(corpus)) {
        std::fprintf(stderr, "no corpus at %s (apt-get install linux-doc-6.1)\n", corpus.c_str());
        return 1;
    }
    fs::create_directories(dir);
    const std::vector<Row> rows = compactRows(corpus, records);
    if (rows.empty()) return 1;
    const std::vector<std::uint32_t> targets = seekTargets(rows.size(), seeks);
    const std::string table = dir + "/Keys.dbf", sqlitePath = dir + "/keys.sqlite";
    resetPeak();
    const double baseline = statusKb("VmRSS:") / 1024.0;
    std::printf(
        "%zu keyword records (%d documents), %zu seeks, median of %d run(s) on the %s "
        "clock, in %s\n",
        rows.size(), rows.back().items, targets.size(), repeat, cpuClock ? "CPU" : "wall",
        dir.c_str());
    std::printf("memory held for the run (records, seek list) before any phase: %.1f MB\n",
                baseline);

    Figure append[2], seek[2], walk[2];
    long sums[2] = {0, 0}, walkRows[2] = {0, 0}, walkSums[2] = {0, 0};
    const bool ours = side != "sqlite", theirs = side != "ours";
    auto run = [](bool wanted, Figure& figure, const std::function<double()>& body) {
        return !wanted || measure(figure, body);
    };
    for (int r = 0; r < repeat; ++r) {
        if (!reuse) {
            for (const auto& file : {"Keys.dbf", "Keys.cdx", "Keys.fpt"})
                fs::remove(dir + "/" + file);
        }
        if (!run(ours && !reuse, append[0], [&] { return engineAppend(table, rows); }) ||
            !run(theirs && !reuse, append[1], [&] { return sqliteAppend(sqlitePath, rows); }) ||
            !run(ours, seek[0], [&] { return engineSeek(table, rows, targets, sums[0]); }) ||
            !run(theirs, seek[1], [&] { return sqliteSeek(sqlitePath, rows, targets, sums[1]); }) ||
            !run(ours, walk[0], [&] { return engineWalk(table, walkRows[0], walkSums[0]); }) ||
            !run(theirs, walk[1],
                 [&] { return sqliteWalk(sqlitePath, walkRows[1], walkSums[1]); })) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    if (ours && theirs &&
        (sums[0] != sums[1] || walkRows[0] != walkRows[1] || walkSums[0] != walkSums[1])) {
        std::fprintf(stderr, "the engines disagree: seeks %ld/%ld, walk %ld/%ld rows\n", sums[0],
                     sums[1], walkRows[0], walkRows[1]);
        return 1;
    }
    std::printf("%-8s %9s %10s %10s %9s %9s %7s %8s %8s\n", "phase", "count", "ours s", "sqlite s",
                "ours/s", "sqlite/s", "ratio", "ours MB", "sqlite MB");
    report("append", rows.size(), append[0], append[1]);
    report("seek", targets.size(), seek[0], seek[1]);
    report("walk", static_cast<std::size_t>(std::max(walkRows[0], walkRows[1])), walk[0], walk[1]);
    std::printf("MB: the process's peak (VmHWM) during the phase, the held %.1f MB included\n",
                baseline);
    return 0;
}
