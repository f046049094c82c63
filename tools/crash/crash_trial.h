// The crash harness: a child process (tools/crash_driver) stores, deletes,
// un-deletes and packs documents through the program's routines in a folder
// and is killed with SIGKILL at a random moment; then the store is checked.
//
// The driver keeps a journal beside the tables, one line per step, written
// with a single write() before and after each routine, so that the journal
// survives the kill and tells the checker what had finished:
//   I <seed> <sequence> <number>  Create Index of document_text(seed, sequence)
//                                 returned with document <number>
//   d <number> / D <number>       Delete of <number> begins / has returned
//   u <number> / U <number>       Un-delete begins / has returned
//   P / p                         Pack begins / has returned
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace reliability {

inline constexpr const char* kJournalName = "crash.journal";

struct CrashOptions {
    std::string driver;        // path of the crash driver
    int trials = 30;           // folders; each gets two runs, each killed
    std::uint32_t seed = 1;    // of the delays, the driver's seeds and texts
    int longestDelayMs = 600;  // a kill comes 1 .. this many ms after the start
    bool keepFailed = false;   // leave the folder of a failed check in /tmp
};

struct CrashFigures {
    int trials = 0;
    int runs = 0;
    int kills = 0;              // runs ended by SIGKILL (the others finished first)
    int failures = 0;           // checks that found a problem
    long documentsChecked = 0;  // finished documents looked up after the kills
    // Kills by the step the driver was in, as its journal tells: "start-up or
    // first Create Index", "Create Index", "Delete", "Un-delete", "Pack" and
    // "restart after a pack".
    std::map<std::string, int> killsDuring;
    std::vector<std::string> problems;  // the first problems, with their folders
};

// Problems of the store in folder against its journal: the program must
// start, both tables be sound, document numbers unique and rising, and every
// document whose Create Index returned be there unchanged and findable by each
// of its words, unless a pack that may have removed it began after its delete.
// checked receives the number of documents looked up.
std::vector<std::string> check_store_against_journal(const std::string& folder, long& checked);

CrashFigures run_crash_trials(const CrashOptions& options, std::ostream* progress);

}  // namespace reliability
