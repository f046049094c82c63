// The full-text benchmark's phases and what they report: each phase runs in
// a process of its own and hands back named figures.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace benchfts {

// The clock figures are taken with: wall time by default, or with --clock
// cpu the process's CPU time (user and system), which other work on a shared
// machine disturbs far less. Set before the phases start.
enum class ClockKind { Wall, Cpu };
void set_clock(ClockKind kind);
ClockKind clock_kind();
double now_seconds();
inline double seconds_since(double start) {
    return now_seconds() - start;
}

// Named figures a phase reports ("ours.search.rare word.median_ms" = 0.12).
using Figures = std::map<std::string, double>;

struct Settings {
    std::string work;           // the work folder, with a trailing '/'
    std::string programFolder;  // where the spare copies of the empty tables are
    int runs = 200;             // timed searches of each kind
};

// The files of the work folder.
inline std::string corpus_file(const Settings& s) {
    return s.work + "corpus.bin";
}
inline std::string queries_file(const Settings& s) {
    return s.work + "queries.txt";
}
inline std::string ours_folder(const Settings& s) {
    return s.work + "vellumark/";
}
inline std::string sqlite_file(const Settings& s) {
    return s.work + "fts5.sqlite";
}

// Per-document indexing costs, and the figures of the first and last tenth
// of the load and of the whole: documents and keyword records per second.
struct LoadTimes {
    std::vector<double> seconds;
    std::vector<std::uint32_t> keywords;
    void add(double s, std::uint32_t k) {
        seconds.push_back(s);
        keywords.push_back(k);
    }
    void report(Figures& figures, const std::string& side) const;
};

// Latencies in milliseconds; median and 99th percentile (nearest rank).
void report_latencies(Figures& figures, const std::string& prefix, std::vector<double> ms);

// The process's peak resident memory in MB (VmHWM).
double peak_memory_mb();

// Bytes of the given files together, in MB.
double files_mb(const std::vector<std::string>& paths);

// Vellumark's side: the program's own routines on a headless platform.
bool index_ours(const Settings& settings, Figures& figures);
bool search_ours(const Settings& settings, Figures& figures);
bool start_ours(const Settings& settings, Figures& figures);

// SQLite's side: one FTS5 table.
bool index_sqlite(const Settings& settings, Figures& figures);
bool search_sqlite(const Settings& settings, Figures& figures);
bool start_sqlite(const Settings& settings, Figures& figures);

}  // namespace benchfts
