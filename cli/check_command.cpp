// check: the store check's report on standard output.
#include <fmt/core.h>

#include <memory>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/progress_bar.h"
#include "cli/store_check.h"
#include "cli/terminal_platform.h"

namespace cli {

namespace {

std::string file_name(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

void print_table(const xbase::VerifyReport& report) {
    std::string line = fmt::format("{}: {} records", file_name(report.table), report.records);
    if (!report.memoFile.empty()) line += ", memo file " + file_name(report.memoFile);
    if (!report.tags.empty())
        line += fmt::format(", tag{} {}", report.tags.size() == 1 ? "" : "s", joined(report.tags));
    line += report.sound() ? ": sound" : ":";
    fmt::print("{}\n", line);
    for (const std::string& problem : report.problems)
        fmt::print("  damaged: {}\n", terminal_text(problem));
    for (const std::string& note : report.notes)
        fmt::print("  note: {}\n", terminal_text(note));
}

}  // namespace

int run_check(const CommonOptions& common) {
    const Session session(common);
    std::unique_ptr<ProgressBar> bar;
    std::string current;
    const StoreReport report = check_store(
        session.folder(), [&](const std::string& table, std::uint64_t done, std::uint64_t total) {
            if (table != current || !bar) {
                current = table;
                bar = std::make_unique<ProgressBar>("Checking " + table, "steps", total);
            }
            bar->update(done);
        });
    bar.reset();

    fmt::print("Store in {}\n", session.folder());
    if (report.keys) print_table(*report.keys);
    if (report.text) print_table(*report.text);
    if (report.keys && report.text && report.keys->tableReadable && report.text->tableReadable) {
        fmt::print("Keyword records{}\n",
                   report.problems.empty() ? ": each belongs to a document" : ":");
        for (const std::string& problem : report.problems)
            fmt::print("  damaged: {}\n", terminal_text(problem));
    }
    for (const std::string& note : report.notes)
        fmt::print("note: {}\n", note);
    if (report.sound()) {
        fmt::print("The store is sound.\n");
        return kDone;
    }
    const bool tables =
        (report.keys && !report.keys->sound()) || (report.text && !report.text->sound());
    fmt::print("The store is damaged.{}\n",
               tables ? " \"vellumark-cli reindex\" rebuilds damaged indexes." : "");
    return kUnsound;
}

}  // namespace cli
