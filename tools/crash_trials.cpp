// The long run of the crash harness: many trials of the crash driver killed
// at random moments, each followed by a check of the store; prints the
// figures and exits non-zero when a check failed.
//
//   crash_trials [--trials N] [--seed S] [--delay MS] [--keep] [--driver PATH]
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "tools/crash/crash_trial.h"

int main(int argc, char** argv) {
    reliability::CrashOptions options;
    options.driver = std::string(VELLUMARK_TOOLS_DIR) + "/crash_driver";
    options.trials = 1000;
    for (int i = 1; i < argc; ++i) {
        auto number = [&] { return i + 1 < argc ? std::strtol(argv[++i], nullptr, 10) : 0L; };
        if (std::strcmp(argv[i], "--trials") == 0) {
            options.trials = static_cast<int>(number());
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            options.seed = static_cast<std::uint32_t>(number());
        } else if (std::strcmp(argv[i], "--delay") == 0) {
            options.longestDelayMs = static_cast<int>(number());
        } else if (std::strcmp(argv[i], "--driver") == 0 && i + 1 < argc) {
            options.driver = argv[++i];
        } else if (std::strcmp(argv[i], "--keep") == 0) {
            options.keepFailed = true;
        } else {
            std::cerr << "usage: crash_trials [--trials N] [--seed S] [--delay MS] [--keep] "
                         "[--driver PATH]\n"
                         "Runs N trials (default 1000): the crash driver is started in a fresh\n"
                         "folder, killed with SIGKILL 1..MS ms later (default 600), started and\n"
                         "killed once more, and the store is checked after each kill.\n";
            return 2;
        }
    }
    const reliability::CrashFigures f = reliability::run_crash_trials(options, &std::cout);
    std::cout << "trials " << f.trials << ", runs " << f.runs << ", kills " << f.kills
              << ", documents checked " << f.documentsChecked << ", failures " << f.failures
              << "\n";
    std::cout << "kills during:";
    for (const auto& [step, kills] : f.killsDuring)
        std::cout << " " << step << " " << kills << ";";
    std::cout << "\n";
    for (const std::string& problem : f.problems)
        std::cout << "  " << problem << "\n";
    return f.failures == 0 ? 0 : 1;
}
