// SQLite's side of the full-text benchmark: one FTS5 table (unicode61
// tokenizer, prefix indexes of 1 to 3 characters) holding the same documents
// with their drawer and header, one transaction per document, written in WAL
// mode with synchronous=OFF (no fsync, as Vellumark's flushes without
// code4flushSync), and queries of the same meaning as the program's.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

#include "platform/cp1252.h"
#include "tools/bench_fts.h"
#include "tools/bench_fts_corpus.h"

namespace benchfts {

namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=OFF;"
    "CREATE VIRTUAL TABLE docs USING fts5(body, head, drawer UNINDEXED, date UNINDEXED,"
    " tokenize='unicode61', prefix='1 2 3');";

// The first 100 documents by number (and whether there is a 101st).
constexpr const char* kMatching =
    "SELECT rowid FROM docs WHERE docs MATCH ?1 ORDER BY rowid LIMIT 101";
constexpr const char* kMatchingInDrawer =
    "SELECT rowid FROM docs WHERE docs MATCH ?1 AND drawer = ?2 ORDER BY rowid LIMIT 101";
constexpr const char* kEverything = "SELECT rowid FROM docs ORDER BY rowid LIMIT 101";
constexpr const char* kDocument = "SELECT body, date FROM docs WHERE rowid = ?1";
constexpr const char* kHighest = "SELECT rowid FROM docs ORDER BY rowid DESC LIMIT 1";

class Database {
  public:
    explicit Database(const std::string& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) fail("open");
    }
    ~Database() {
        for (sqlite3_stmt* statement : statements_)
            sqlite3_finalize(statement);
        sqlite3_close(db_);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool ok() const { return ok_; }
    void exec(const char* sql) {
        if (ok_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        if (ok_ && sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) fail(sql);
        statements_.push_back(statement);
        return statement;
    }
    // Runs a statement that returns no rows, and resets it.
    void run(sqlite3_stmt* statement) {
        if (ok_ && sqlite3_step(statement) != SQLITE_DONE) fail(sqlite3_sql(statement));
        sqlite3_reset(statement);
    }

  private:
    void fail(const char* what) {
        std::fprintf(stderr, "sqlite: %s: %s\n", what, sqlite3_errmsg(db_));
        ok_ = false;
    }
    sqlite3* db_ = nullptr;
    bool ok_ = true;
    std::vector<sqlite3_stmt*> statements_;
};

void bind_text(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

std::string quoted(const std::string& word) {
    return "\"" + word + "\"";
}

std::string all_of(const std::vector<std::string>& words) {
    std::string expression;
    for (const std::string& word : words)
        expression += (expression.empty() ? "" : " AND ") + quoted(word);
    return expression;
}

// The FTS5 query of the same meaning as the program's search string.
std::string match_expression(const Query& query) {
    switch (query.kind) {
        case SearchKind::Prefix:
            return quoted(query.words.at(0)) + "*";
        case SearchKind::DrawerHeader:
            return "head : " + quoted(query.words.at(0));
        case SearchKind::ThreeWordsTolerant: {
            // Every pair of the words: at most one may be missing.
            std::string expression;
            for (std::size_t i = 0; i < query.words.size(); ++i) {
                for (std::size_t j = i + 1; j < query.words.size(); ++j) {
                    expression += (expression.empty() ? "(" : " OR (") +
                                  all_of({query.words[i], query.words[j]}) + ")";
                }
            }
            return expression;
        }
        default:
            return all_of(query.words);
    }
}

struct Searcher {
    explicit Searcher(Database& db)
        : matching(db.prepare(kMatching)),
          inDrawer(db.prepare(kMatchingInDrawer)),
          everything(db.prepare(kEverything)),
          document(db.prepare(kDocument)) {}

    sqlite3_stmt* matching;
    sqlite3_stmt* inDrawer;
    sqlite3_stmt* everything;
    sqlite3_stmt* document;
    std::vector<sqlite3_int64> hitList;
    std::string shown;

    // The hit list of up to 100 documents and the first one's text, as the
    // program's search fills them; the number of hits.
    int run(const Query& query) {
        const std::string expression = match_expression(query);
        sqlite3_stmt* statement = query.kind == SearchKind::Everything     ? everything
                                  : query.kind == SearchKind::DrawerHeader ? inDrawer
                                                                           : matching;
        if (statement != everything) bind_text(statement, 1, expression);
        if (statement == inDrawer) bind_text(statement, 2, query.drawer);
        hitList.clear();
        while (hitList.size() < 100 && sqlite3_step(statement) == SQLITE_ROW)
            hitList.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_reset(statement);
        if (!hitList.empty()) {
            sqlite3_bind_int64(document, 1, hitList.front());
            if (sqlite3_step(document) == SQLITE_ROW) {
                shown.assign(reinterpret_cast<const char*>(sqlite3_column_text(document, 0)),
                             static_cast<std::size_t>(sqlite3_column_bytes(document, 0)));
            }
            sqlite3_reset(document);
        }
        return static_cast<int>(hitList.size());
    }
};

}  // namespace

namespace {

// Loads every document, one transaction each, timing each transaction.
bool load_documents(const Settings& settings, LoadTimes& load) {
    DocumentFile documents(corpus_file(settings));
    Database db(sqlite_file(settings));
    db.exec(kSchema);
    sqlite3_stmt* begin = db.prepare("BEGIN");
    sqlite3_stmt* commit = db.prepare("COMMIT");
    sqlite3_stmt* insert =
        db.prepare("INSERT INTO docs(rowid, body, head, drawer, date) VALUES(?1,?2,?3,?4,?5)");
    if (!db.ok() || !documents.is_open()) return false;
    const std::string date = "20240315";
    const double start = now_seconds();
    for (Document document; db.ok() && documents.next(document);) {
        const std::string body = platform::cp1252ToUtf8(document.text);
        const std::string head = platform::cp1252ToUtf8(document.head);
        const double before = now_seconds();
        db.run(begin);
        sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(load.seconds.size() + 1));
        bind_text(insert, 2, body);
        bind_text(insert, 3, head);
        bind_text(insert, 4, document.drawer);
        bind_text(insert, 5, date);
        db.run(insert);
        db.run(commit);
        load.add(seconds_since(before), document.keywords);
        if (load.seconds.size() % 10000 == 0)
            std::fprintf(stderr, "  sqlite: %zu documents, %.0f s\n", load.seconds.size(),
                         seconds_since(start));
    }
    return db.ok();
}

}  // namespace

bool index_sqlite(const Settings& settings, Figures& figures) {
    const std::string path = sqlite_file(settings);
    for (const char* suffix : {"", "-wal", "-shm"})
        std::remove((path + suffix).c_str());
    LoadTimes load;
    if (!load_documents(settings, load)) return false;
    load.report(figures, "sqlite");
    // The last connection's close checkpoints the WAL into the database file.
    figures["sqlite.files_mb"] = files_mb({path, path + "-wal"});
    figures["sqlite.index.peak_mb"] = peak_memory_mb();
    return true;
}

bool search_sqlite(const Settings& settings, Figures& figures) {
    const std::vector<Query> queries = read_queries(queries_file(settings));
    Database db(sqlite_file(settings));
    db.exec("PRAGMA synchronous=OFF");
    Searcher searcher(db);
    if (!db.ok()) return false;
    for (SearchKind kind : kSearchKinds) {
        std::vector<Query> ofKind;
        for (const Query& query : queries) {
            if (query.kind == kind) ofKind.push_back(query);
        }
        if (ofKind.empty()) continue;
        const std::string prefix = std::string("sqlite.search.") + kind_name(kind);
        double hits = 0;
        for (const Query& query : ofKind)
            hits += searcher.run(query);
        figures[prefix + ".hits"] = hits / static_cast<double>(ofKind.size());
        std::vector<double> ms;
        for (int run = 0; run < settings.runs; ++run) {
            const Query& query = ofKind[static_cast<std::size_t>(run) % ofKind.size()];
            const double before = now_seconds();
            searcher.run(query);
            ms.push_back(seconds_since(before) * 1000);
        }
        report_latencies(figures, prefix, std::move(ms));
    }
    figures["sqlite.search.peak_mb"] = peak_memory_mb();
    return true;
}

bool start_sqlite(const Settings& settings, Figures& figures) {
    const double before = now_seconds();
    {
        Database db(sqlite_file(settings));
        sqlite3_stmt* highest = db.prepare(kHighest);
        if (!db.ok() || sqlite3_step(highest) != SQLITE_ROW) return false;
        figures["sqlite.startup_ms"] = seconds_since(before) * 1000;
    }
    figures["sqlite.startup.peak_mb"] = peak_memory_mb();
    return true;
}

}  // namespace benchfts
