// Vellumark's side of the full-text benchmark: the program's own Create Index
// and search routines, started in the work folder on the headless platform
// the tests use, exactly as a user's events would run them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/startup.h"
#include "index/create_index.h"
#include "search/do_search.h"
#include "store/names.h"
#include "tests/support/scripted_platform.h"
#include "tools/bench_fts.h"
#include "tools/bench_fts_corpus.h"
#include "xbase/d4.h"

namespace benchfts {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> data_files(const Settings& settings) {
    std::vector<std::string> paths;
    for (const store::SpareCopy& copy : store::kSpareCopies)
        paths.push_back(ours_folder(settings) + copy.dataFile);
    return paths;
}

// A fresh store: the spare copies only, which start-up restores from.
bool make_empty_store(const Settings& settings) {
    std::error_code ec;
    fs::remove_all(ours_folder(settings), ec);
    fs::create_directories(ours_folder(settings), ec);
    for (const store::SpareCopy& copy : store::kSpareCopies) {
        fs::copy_file(settings.programFolder + copy.spareFile,
                      ours_folder(settings) + copy.spareFile, ec);
        if (ec) {
            std::fprintf(stderr, "cannot copy %s%s: %s\n", settings.programFolder.c_str(),
                         copy.spareFile, ec.message().c_str());
            return false;
        }
    }
    return true;
}

// One running program on the headless platform.
struct Session {
    testsupport::ScriptedPlatform platform;
    app::Program program{platform.services};
    bool started = false;

    explicit Session(const Settings& settings)
        : started(app::start_program(program, ours_folder(settings))) {
        if (!started) std::fprintf(stderr, "the program did not start\n");
    }
    ~Session() {
        if (program.engine != nullptr) app::close_main_window(program);
    }
    // Forgets what the platform recorded, so a long run does not grow it.
    bool quiet() {
        const bool none = platform.dialogs.boxes.empty();
        platform.dialogs.boxes.clear();
        platform.desktop.pointerChanges.clear();
        return none;
    }
};

int run_search(Session& session, const Query& query) {
    ui::FrmMain& form = session.program.frmMain;
    form.txtSearch.text = search_string(query);
    form.ComboFilter.text = query.drawer;
    form.CheckTopOnly.checked = query.kind == SearchKind::DrawerHeader;
    form.CheckTolerance.checked = query.kind == SearchKind::ThreeWordsTolerant;
    search::do_search(session.program);
    session.quiet();
    return std::atoi(form.LabelCount.caption.c_str());
}

}  // namespace

bool index_ours(const Settings& settings, Figures& figures) {
    if (!make_empty_store(settings)) return false;
    DocumentFile documents(corpus_file(settings));
    Session session(settings);
    if (!session.started || !documents.is_open()) return false;
    ui::FrmMain& form = session.program.frmMain;
    LoadTimes load;
    double refused = 0;
    const double start = now_seconds();
    for (Document document; documents.next(document);) {
        form.ComboFilter.text = document.drawer;
        form.txtInput.text = std::move(document.text);
        const double before = now_seconds();
        app::create_index(session.program);
        load.add(seconds_since(before), document.keywords);
        if (!session.quiet() || form.txtInput.text != "Indexed") ++refused;
        if (load.seconds.size() % 10000 == 0)
            std::fprintf(stderr, "  vellumark: %zu documents, %.0f s\n", load.seconds.size(),
                         seconds_since(start));
    }
    figures["ours.keyword_records"] =
        static_cast<double>(xbase::d4recCountDo(session.program.keys));
    figures["ours.refused"] = refused;
    app::close_main_window(session.program);
    load.report(figures, "ours");
    figures["ours.files_mb"] = files_mb(data_files(settings));
    figures["ours.index.peak_mb"] = peak_memory_mb();
    return true;
}

bool search_ours(const Settings& settings, Figures& figures) {
    const std::vector<Query> queries = read_queries(queries_file(settings));
    Session session(settings);
    if (!session.started) return false;
    for (SearchKind kind : kSearchKinds) {
        std::vector<Query> ofKind;
        for (const Query& query : queries) {
            if (query.kind == kind) ofKind.push_back(query);
        }
        if (ofKind.empty()) continue;
        const std::string prefix = std::string("ours.search.") + kind_name(kind);
        double hits = 0;
        for (const Query& query : ofKind)  // one untimed run each, for the hit counts
            hits += run_search(session, query);
        figures[prefix + ".hits"] = hits / static_cast<double>(ofKind.size());
        std::vector<double> ms;
        for (int run = 0; run < settings.runs; ++run) {
            const Query& query = ofKind[static_cast<std::size_t>(run) % ofKind.size()];
            const double before = now_seconds();
            run_search(session, query);
            ms.push_back(seconds_since(before) * 1000);
        }
        report_latencies(figures, prefix, std::move(ms));
    }
    figures["ours.search.peak_mb"] = peak_memory_mb();
    return true;
}

bool start_ours(const Settings& settings, Figures& figures) {
    testsupport::ScriptedPlatform platform;
    app::Program program(platform.services);
    const double before = now_seconds();
    const bool started = app::start_program(program, ours_folder(settings));
    figures["ours.startup_ms"] = seconds_since(before) * 1000;
    if (program.engine != nullptr) app::close_main_window(program);
    figures["ours.startup.peak_mb"] = peak_memory_mb();
    return started;
}

}  // namespace benchfts
