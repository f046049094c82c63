// The crash harness: runs the driver, kills it, checks the store against
// the driver's journal.
#include "tools/crash/crash_trial.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "app/startup.h"
#include "tests/support/scripted_platform.h"
#include "tools/crash/documents.h"
#include "tools/crash/store_check.h"

namespace reliability {
namespace {

// What the journal says of one document.
struct JournalDoc {
    std::uint32_t seed = 0;
    std::uint32_t sequence = 0;
    char last = 'I';          // the last step on it: I, d, D, u or U
    bool mayBeGone = false;   // a pack began while it was (being) deleted
    bool surelyGone = false;  // a pack finished after its delete had returned
};

std::map<std::int32_t, JournalDoc> read_journal(const std::string& path) {
    std::map<std::int32_t, JournalDoc> docs;
    std::vector<std::int32_t> atRisk;  // deleted when the last pack began
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        char step = 0;
        fields >> step;
        if (step == 'I') {
            JournalDoc doc;
            std::int32_t number = 0;
            if (fields >> doc.seed >> doc.sequence >> number) docs[number] = doc;
        } else if (step == 'P' || step == 'p') {
            if (step == 'P') atRisk.clear();
            for (auto& [number, doc] : docs) {
                if (step == 'P' && doc.last != 'I' && doc.last != 'U') {
                    doc.mayBeGone = true;
                    atRisk.push_back(number);
                }
            }
            if (step == 'p')
                for (std::int32_t number : atRisk)
                    docs[number].surelyGone = docs[number].last == 'D';
        } else {
            std::int32_t number = 0;
            auto it = fields >> number ? docs.find(number) : docs.end();
            if (it != docs.end()) it->second.last = step;
        }
    }
    return docs;
}

std::vector<std::string> journal_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The step a run was in when it was killed, from its journal: a begin line
// without its end names it; after any other line the driver was storing a
// document (Create Index journals only when it has returned), or starting
// again after a pack.
std::string step_at_kill(const std::vector<std::string>& lines, std::size_t linesBefore) {
    if (lines.size() <= linesBefore) return "start-up or first Create Index";
    switch (lines.back().empty() ? ' ' : lines.back()[0]) {
        case 'd':
            return "Delete";
        case 'u':
            return "Un-delete";
        case 'P':
            return "Pack";
        case 'p':
        case 'x':
            return "restart after a pack";
        default:
            return "Create Index";
    }
}

// Waits for the child; true when SIGKILL ended it.
bool reap(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

pid_t start_driver(const std::string& driver, const std::string& folder, std::uint32_t seed) {
    pid_t child = fork();
    if (child == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        const std::string seedText = std::to_string(seed);
        execl(driver.c_str(), driver.c_str(), folder.c_str(), seedText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

std::string make_folder() {
    char name[] = "/tmp/vellumark-crash-XXXXXX";
    if (mkdtemp(name) == nullptr) return {};
    std::string folder = std::string(name) + "/";
    namespace fs = std::filesystem;
    for (const char* spare : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"})
        fs::copy_file(fs::path(VELLUMARK_PROGRAM_DIR) / spare, folder + spare);
    return folder;
}

}  // namespace

std::vector<std::string> check_store_against_journal(const std::string& folder, long& checked) {
    const std::map<std::int32_t, JournalDoc> docs = read_journal(folder + kJournalName);
    testsupport::ScriptedPlatform platform;
    app::Program program(platform.services);
    if (!app::start_program(program, folder)) {
        return {"the program does not start: " + (platform.dialogs.boxes.empty()
                                                      ? std::string("?")
                                                      : platform.dialogs.boxes[0].text)};
    }
    std::vector<std::string> problems = check_table(program.keys);
    for (const std::string& p : check_table(program.text))
        problems.push_back("Text: " + p);
    const std::vector<std::int32_t> numbers = document_numbers(program.text);
    for (std::size_t i = 1; i < numbers.size(); ++i)
        if (numbers[i] <= numbers[i - 1])
            problems.push_back("document " + std::to_string(numbers[i]) + " follows " +
                               std::to_string(numbers[i - 1]));
    for (const auto& [number, doc] : docs) {
        ++checked;
        const std::string text = document_text(doc.seed, doc.sequence);
        if (doc.surelyGone) {
            if (!document_absent(program.text, number))
                problems.push_back("document " + std::to_string(number) + " survived its pack");
            continue;
        }
        if (doc.mayBeGone && document_absent(program.text, number)) continue;
        for (const std::string& p :
             check_document(program.keys, program.text, number, text, !doc.mayBeGone))
            problems.push_back(p);
    }
    if (platform.dialogs.boxes.size() > 0)
        problems.push_back("a box was shown: " + platform.dialogs.boxes[0].text);
    app::close_main_window(program);
    return problems;
}

CrashFigures run_crash_trials(const CrashOptions& options, std::ostream* progress) {
    CrashFigures figures;
    std::mt19937 random(options.seed);
    std::uniform_int_distribution<int> delay(1, std::max(1, options.longestDelayMs));
    for (int trial = 0; trial < options.trials; ++trial) {
        const std::string folder = make_folder();
        bool failed = false;
        for (int run = 0; run < 2 && !failed; ++run) {
            const std::uint32_t seed =
                options.seed * 1000003u + static_cast<std::uint32_t>(trial * 2 + run);
            const std::string journal = folder + kJournalName;
            const std::size_t linesBefore = journal_lines(journal).size();
            pid_t child = start_driver(options.driver, folder, seed);
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
            kill(child, SIGKILL);
            ++figures.runs;
            if (reap(child)) {
                ++figures.kills;
                ++figures.killsDuring[step_at_kill(journal_lines(journal), linesBefore)];
            }
            std::vector<std::string> problems =
                check_store_against_journal(folder, figures.documentsChecked);
            if (problems.empty()) continue;
            failed = true;
            ++figures.failures;
            if (figures.problems.size() < 20)
                figures.problems.push_back(folder + " (run " + std::to_string(run + 1) +
                                           "): " + problems.front());
        }
        ++figures.trials;
        if (!failed || !options.keepFailed) std::filesystem::remove_all(folder);
        if (progress && (trial + 1) % 50 == 0)
            *progress << trial + 1 << " trials, " << figures.kills << " kills, " << figures.failures
                      << " failures" << std::endl;
    }
    return figures;
}

}  // namespace reliability
