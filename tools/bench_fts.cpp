// Benchmark of Vellumark against SQLite FTS5 on a real corpus: the same
// documents indexed and the same searches answered by both in one run, with
// one table of figures, ours beside theirs. See kHelp for what it does.
//
// Design note. Each phase runs in a child process of its own, so the peak
// memory it reports (VmHWM) is that phase's alone and no phase warms another's
// heap; children hand their figures back over a pipe. The parent stays small:
// it never holds the corpus.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bench_fts.h"
#include "tools/bench_fts_corpus.h"

namespace benchfts {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHelp = R"(bench_fts: Vellumark against SQLite FTS5 on a real corpus

Usage: bench_fts [--docs N|all] [--runs R] [--clock wall|cpu] [--work DIR]
                 [--phases LIST]
                 [--program-folder DIR] [--gcide-dict FILE] [--gcide-index FILE]
                 [--linux-docs DIR]

The corpus comes from Debian's packages (scripts/bench.sh installs them):
every distinct entry of dict-gcide (/usr/share/dictd/gcide.dict.dz at the
offsets of gcide.index) and the English plain-text files of linux-doc-6.1
(/usr/share/doc/linux-doc-6.1/html/_sources, translations left out; files
over 32,766 characters cut into parts at line ends), cp1252 with CR LF, in
one fixed pseudo-random order. Dictionary entries go into the drawer
"Dictionary", kernel documents into "Kernel". --docs takes the first N
documents of that order (default 10000; "all" takes about 130,000).

Vellumark's side runs the program's own create_index and do_search on the
headless platform the tests use, on tables in the work folder started from
the build's spare copies. SQLite's side is one FTS5 table (body, head, drawer
and date columns; unicode61 tokenizer, prefix='1 2 3'), one transaction per
document. Durability is the same on both sides: no fsync (Vellumark flushes
every document with code4flushSync off; SQLite runs journal_mode=WAL with
synchronous=OFF). Both survive the program's crash, neither a power loss.

Searches, each as the program runs them (the hit list of the first 100
documents by number, and the first one's text read for display), SQLite's
query of the same meaning beside:
  rare word                    "word"          (in 2 or 3 documents)
  common word                  "word"          (the 10 most frequent words)
  prefix of 3 letters          "abc"*
  three words                  "a" AND "b" AND "c"
  three words, High Tolerance  any two of the three
  drawer, Header Only          head : "word" AND drawer = ?  (the head column
                               holds the words Vellumark indexes at positions
                               below the header size, 25)
  *                            every document
Up to 50 different queries of each kind are chosen from the documents; each
is run once untimed, then R timed runs (default 200) cycle through them. The
statements of SQLite's side are prepared once. The two sides' search phases
take turns, three times over, and each search figure is the median of the
three: a spell of a busy host then slows one round of one side, not the
ratio.

Figures: documents and keyword records indexed per second in the first and
last 10% of the load and overall, median and 99th-percentile search latency,
start-up on the finished store (median of 5 fresh processes: Vellumark's
start_program, SQLite's open and highest rowid), file sizes, and the peak
memory (VmHWM) of each phase, which runs in a process of its own. Times are
wall-clock times, or with --clock cpu the phase process's CPU time (user and
system): on a machine busy with other work the CPU time is the steadier
measure, and neither side waits for the disk (no fsync, files in the page
cache). Every phase starts after a sync(), so that the kernel's write-back
of the files an earlier phase wrote does not run beside it.

Phases (--phases, comma-separated, default all): corpus, index, search,
startup. --work DIR keeps the work folder (corpus, queries, both stores) so
that later runs can repeat single phases on it, e.g. --phases search; without
it a fresh folder under /tmp is used and removed at the end.
)";

struct Options {
    std::size_t documents = 10000;  // 0: all
    int runs = 200;
    std::string work;
    bool keepWork = false;
    std::set<std::string> phases{"corpus", "index", "search", "startup"};
    std::string programFolder = VELLUMARK_PROGRAM_DIR;
    CorpusSources sources;
};

bool parse_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "bench_fts: %s needs a value (see --help)\n", arg.c_str());
            return false;
        }
        const std::string value = argv[++i];
        if (arg == "--docs") {
            options.documents = value == "all" ? 0 : std::strtoull(value.c_str(), nullptr, 10);
            if (value != "all" && options.documents == 0) return false;
        } else if (arg == "--clock") {
            if (value != "wall" && value != "cpu") return false;
            set_clock(value == "cpu" ? ClockKind::Cpu : ClockKind::Wall);
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::atoi(value.c_str()));
        } else if (arg == "--work") {
            options.work = value;
            options.keepWork = true;
        } else if (arg == "--phases") {
            options.phases.clear();
            std::istringstream list(value);
            for (std::string phase; std::getline(list, phase, ',');)
                options.phases.insert(phase);
        } else if (arg == "--program-folder") {
            options.programFolder = value;
        } else if (arg == "--gcide-dict") {
            options.sources.gcideDict = value;
        } else if (arg == "--gcide-index") {
            options.sources.gcideIndex = value;
        } else if (arg == "--linux-docs") {
            options.sources.linuxDocs = value;
        } else {
            std::fprintf(stderr, "bench_fts: unknown option %s (see --help)\n", arg.c_str());
            return false;
        }
    }
    return true;
}

// Runs phase in a child process and adds the figures it reports to into.
bool in_child(const std::string& name, const std::function<bool(Figures&)>& phase, Figures& into) {
    std::fprintf(stderr, "%s ...\n", name.c_str());
    ::sync();
    const auto start = std::chrono::steady_clock::now();
    int fds[2];
    if (::pipe(fds) != 0) return false;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        ::close(fds[0]);
        Figures figures;
        const bool ok = phase(figures);
        std::FILE* out = ::fdopen(fds[1], "w");
        for (const auto& [key, value] : figures)
            std::fprintf(out, "%s\t%.17g\n", key.c_str(), value);
        std::fclose(out);
        std::fflush(nullptr);
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    std::FILE* in = ::fdopen(fds[0], "r");
    char line[512];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        char* tab = std::strchr(line, '\t');
        if (tab == nullptr) continue;
        *tab = '\0';
        into[line] = std::atof(tab + 1);
    }
    std::fclose(in);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::fprintf(stderr, "%s: %s, %.1f s\n", name.c_str(), ok ? "done" : "FAILED",
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return ok;
}

bool prepare_corpus(const Options& options, const Settings& settings, Figures& figures) {
    std::string error;
    const std::vector<Document> documents = read_corpus(options.sources, options.documents, error);
    if (documents.empty()) {
        std::fprintf(stderr, "bench_fts: %s\n", error.empty() ? "no documents" : error.c_str());
        return false;
    }
    double keywords = 0, bytes = 0;
    for (const Document& document : documents) {
        keywords += document.keywords;
        bytes += static_cast<double>(document.text.size());
    }
    figures["corpus.documents"] = static_cast<double>(documents.size());
    figures["corpus.keyword_records"] = keywords;
    figures["corpus.mb"] = bytes / (1024 * 1024);
    return write_documents(corpus_file(settings), documents) &&
           write_queries(queries_file(settings), choose_queries(documents, 50));
}

// The figures of several runs of phases, each key with every run's value.
using Rounds = std::map<std::string, std::vector<double>>;

void add_round(const Figures& figures, Rounds& rounds) {
    for (const auto& [key, value] : figures)
        rounds[key].push_back(value);
}

// Each figure of the rounds into into: the median of its values, for a peak
// the highest.
void take_medians(Rounds& rounds, Figures& into) {
    for (auto& [key, values] : rounds) {
        std::sort(values.begin(), values.end());
        into[key] = key.ends_with(".peak_mb") ? values.back() : values[values.size() / 2];
    }
}

// Runs a start-up phase in five fresh processes.
void median_start(const std::string& side, const std::function<bool(Figures&)>& phase,
                  Figures& into) {
    Rounds rounds;
    for (int i = 0; i < 5; ++i) {
        Figures figures;
        if (!in_child(side + " start-up", phase, figures)) return;
        add_round(figures, rounds);
    }
    take_medians(rounds, into);
}

// Runs the search phases of both sides in turns, three rounds.
bool search_rounds(const Settings& settings, Figures& into) {
    Rounds rounds;
    for (int round = 0; round < 3; ++round) {
        Figures figures;
        if (!in_child(
                "vellumark search", [&](Figures& f) { return search_ours(settings, f); },
                figures) ||
            !in_child(
                "sqlite search", [&](Figures& f) { return search_sqlite(settings, f); }, figures))
            return false;
        add_round(figures, rounds);
    }
    take_medians(rounds, into);
    return true;
}

std::string figures_file(const Settings& settings) {
    return settings.work + "figures.tsv";
}

Figures load_figures(const Settings& settings) {
    Figures figures;
    std::ifstream in(figures_file(settings));
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos)
            figures[line.substr(0, tab)] = std::atof(line.c_str() + tab + 1);
    }
    return figures;
}

void save_figures(const Settings& settings, const Figures& figures) {
    std::ofstream out(figures_file(settings));
    out.precision(17);
    for (const auto& [key, value] : figures)
        out << key << '\t' << value << '\n';
}

// --- The table -------------------------------------------------------------

class Table {
  public:
    explicit Table(const Figures& figures) : figures_(figures) {}

    void heading(const std::string& text) { std::printf("%s\n", text.c_str()); }

    // A row of ours and theirs (keys without the side), with their ratio and,
    // when given, the target the ratio (or ours alone) must meet.
    enum class Check { None, RatioAtMost, RatioAtLeast, OursAtMost, OursBelow };
    void row(const std::string& label, const std::string& key, Check check = Check::None,
             double limit = 0, const char* target = "") {
        const double* ours = find("ours." + key);
        const double* theirs = find("sqlite." + key);
        std::printf("  %-44s %12s %12s", label.c_str(), number(ours).c_str(),
                    number(theirs).c_str());
        const bool both = ours != nullptr && theirs != nullptr && *theirs != 0;
        std::printf(" %8s", both ? fixed(*ours / *theirs, 2).c_str() : "");
        if (check != Check::None)
            std::printf("  %-10s %s", target, verdict(check, limit, ours, theirs));
        std::printf("\n");
    }

  private:
    const double* find(const std::string& key) const {
        const auto it = figures_.find(key);
        return it == figures_.end() ? nullptr : &it->second;
    }
    static std::string fixed(double value, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return text;
    }
    static std::string number(const double* value) {
        if (value == nullptr) return "-";
        const double v = *value;
        return fixed(v, v >= 1000 ? 0 : v >= 10 ? 1 : v >= 0.1 ? 2 : 3);
    }
    static const char* verdict(Check check, double limit, const double* ours,
                               const double* theirs) {
        if (ours == nullptr) return "";
        const bool ratio = check == Check::RatioAtMost || check == Check::RatioAtLeast;
        if (ratio && (theirs == nullptr || *theirs == 0)) return "";
        const double value = ratio ? *ours / *theirs : *ours;
        const bool met = check == Check::RatioAtMost    ? value <= limit
                         : check == Check::RatioAtLeast ? value >= limit
                         : check == Check::OursAtMost   ? value <= limit
                                                        : value < limit;
        return met ? "met" : "MISSED";
    }
    const Figures& figures_;
};

void print_table(Figures figures) {
    // The per-document slow-down from the first to the last tenth of the load.
    for (const char* side : {"ours", "sqlite"}) {
        const std::string p = std::string(side) + ".index.";
        if (figures.count(p + "first.docs_per_s") && figures.count(p + "last.docs_per_s"))
            figures[std::string(side) + ".slowdown"] =
                figures[p + "first.docs_per_s"] / figures[p + "last.docs_per_s"];
    }
    using Check = Table::Check;
    Table table(figures);
    std::printf(
        "\nVellumark against SQLite FTS5: %.0f documents, %.0f keyword records, %.1f MB "
        "of text\n",
        figures["corpus.documents"], figures["corpus.keyword_records"], figures["corpus.mb"]);
    std::printf("Durability: no fsync on either side (code4flushSync off; WAL, synchronous=OFF)\n");
    std::printf("Clock: %s\n",
                clock_kind() == ClockKind::Cpu ? "process CPU time (--clock cpu)" : "wall time");
    std::printf("\n  %-44s %12s %12s %8s  %-10s\n", "", "Vellumark", "SQLite FTS5", "ratio",
                "target");
    table.heading("Indexing");
    table.row("documents/s, first 10%", "index.first.docs_per_s");
    table.row("documents/s, last 10%", "index.last.docs_per_s");
    table.row("documents/s, whole load", "index.all.docs_per_s", Check::RatioAtLeast, 1.0, ">= 1");
    table.row("keyword records/s, first 10%", "index.first.keywords_per_s");
    table.row("keyword records/s, last 10%", "index.last.keywords_per_s");
    table.row("time per document, last / first 10%", "slowdown", Check::OursAtMost, 1.5, "<= 1.5");
    table.row("indexing time, s", "index.all.seconds");
    table.heading("Search latency, ms (hits: mean hit-list length)");
    for (SearchKind kind : kSearchKinds) {
        const std::string key = std::string("search.") + kind_name(kind);
        table.row(std::string(kind_name(kind)) + ", median", key + ".median_ms", Check::RatioAtMost,
                  0.5, "<= 0.5");
        table.row(std::string(kind_name(kind)) + ", p99", key + ".p99_ms");
        table.row(std::string(kind_name(kind)) + ", hits", key + ".hits");
    }
    table.heading("Start-up and files");
    table.row("start-up on the finished store, ms", "startup_ms", Check::OursBelow, 50, "< 50 ms");
    table.row("files, MB", "files_mb");
    table.heading("Peak memory (VmHWM), MB");
    table.row("indexing", "index.peak_mb", Check::OursBelow, 100, "< 100 MB");
    table.row("search", "search.peak_mb", Check::OursBelow, 100, "< 100 MB");
    table.row("start-up", "startup.peak_mb", Check::OursBelow, 100, "< 100 MB");
    if (figures.count("ours.refused") && figures["ours.refused"] > 0)
        std::printf("\nWARNING: Vellumark refused %.0f documents\n", figures["ours.refused"]);
}

}  // namespace

int run(int argc, char** argv) {
    Options options;
    if (!parse_options(argc, argv, options)) return 2;
    if (options.work.empty()) {
        char name[] = "/tmp/vellumark-bench-XXXXXX";
        if (::mkdtemp(name) == nullptr) return 1;
        options.work = name;
    }
    std::error_code ec;
    fs::create_directories(options.work, ec);
    Settings settings{(fs::path(options.work) / "").string(),
                      (fs::path(options.programFolder) / "").string(), options.runs};

    // Figures of earlier runs on a kept work folder stay, so single phases
    // can be repeated on it.
    Figures figures = load_figures(settings);
    const auto has = [&](const char* phase) { return options.phases.count(phase) != 0; };
    bool ok = true;
    if (ok && has("corpus"))
        ok = in_child(
            "corpus", [&](Figures& f) { return prepare_corpus(options, settings, f); }, figures);
    if (ok && has("index")) {
        ok = in_child(
                 "vellumark indexing", [&](Figures& f) { return index_ours(settings, f); },
                 figures) &&
             in_child(
                 "sqlite indexing", [&](Figures& f) { return index_sqlite(settings, f); }, figures);
    }
    if (ok && has("search")) ok = search_rounds(settings, figures);
    if (ok && has("startup")) {
        median_start(
            "ours", [&](Figures& f) { return start_ours(settings, f); }, figures);
        median_start(
            "sqlite", [&](Figures& f) { return start_sqlite(settings, f); }, figures);
    }
    save_figures(settings, figures);
    print_table(figures);
    if (!options.keepWork) fs::remove_all(options.work, ec);
    return ok ? 0 : 1;
}

}  // namespace benchfts

int main(int argc, char** argv) {
    return benchfts::run(argc, argv);
}
