// The short run of the crash harness: about thirty trials of the crash driver
// killed with SIGKILL at random moments, each store checked after every kill.
#include <gtest/gtest.h>

#include "tools/crash/crash_trial.h"

namespace {

TEST(CrashHarness, StoresSurviveKillsAtRandomMoments) {
    reliability::CrashOptions options;
    options.driver = std::string(VELLUMARK_TOOLS_DIR) + "/crash_driver";
    options.trials = 30;  // two killed runs each
    options.seed = 4;
    const reliability::CrashFigures figures = reliability::run_crash_trials(options, nullptr);
    EXPECT_GE(figures.runs, options.trials);
    EXPECT_GT(figures.kills, 40) << "the driver finished before most kills";
    EXPECT_TRUE(figures.killsDuring.contains("Create Index"));
    EXPECT_GT(figures.documentsChecked, 100);
    EXPECT_EQ(figures.failures, 0) << (figures.problems.empty() ? "" : figures.problems.front());
}

}  // namespace
