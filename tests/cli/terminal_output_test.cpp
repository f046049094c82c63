// The companion's terminal output: JSON strings, the progress line, and the
// program's cp1252 text on a UTF-8 terminal.
#include <gtest/gtest.h>

#include "cli/json.h"
#include "cli/progress_bar.h"
#include "cli/terminal_platform.h"

namespace {

TEST(TerminalOutput, JsonEscapesTextsEndLinesInLfAndTheProgressLineShowsRateAndTimeLeft) {
    EXPECT_EQ(cli::json_string("a \"b\" \\ c"), R"("a \"b\" \\ c")");
    EXPECT_EQ(cli::json_string("line\nnext\ttab\x01"), R"("line\nnext\ttab\u0001")");
    EXPECT_EQ(cli::json_text("Caf\xe9\r\n\x80"), "\"Caf\xc3\xa9\\n\xe2\x82\xac\"");
    EXPECT_EQ(cli::json_text("", true), "null");
    EXPECT_EQ(cli::json_text("", false), "\"\"");
    // Engine box lines and CR LF become line feeds.
    EXPECT_EQ(cli::terminal_text("Error #: -910\n\rUnexpected\r\nend"),
              "Error #: -910\nUnexpected\nend");
    // The progress line shows count, rate and time left.
    EXPECT_EQ(cli::progress_line("Adding", "files", 25, 100, 5.0, 10),
              "Adding [==>       ] 25/100 files  5.0/s  0:15 left");
    EXPECT_EQ(cli::progress_line("Adding", "files", 100, 100, 4000.0, 10),
              "Adding [==========] 100/100 files  0.0/s");
    EXPECT_EQ(cli::progress_line("Adding", "files", 1, 7200, 1.0, 4),
              "Adding [>   ] 1/7200 files  1.0/s  1:59:59 left");
    EXPECT_EQ(cli::progress_line("Checking", "steps", 0, 0, 0.0, 4), "Checking [====] 0/0 steps");
}

}  // namespace
