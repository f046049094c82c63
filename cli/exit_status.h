// The exit statuses of vellumark-cli, as --help documents them.
#pragma once

namespace cli {

enum ExitStatus : int {
    kDone = 0,     // the command did all it was asked; check: everything is sound
    kNotDone = 1,  // the command ran but did not do all of it: a file not added, nothing
                   // found, no such document, a refusal, a declined or failed pack
    kUsage = 2,    // the command line is wrong
    kUnsound = 3,  // check found damage, or reindex could not repair it
    kNoStore = 4,  // the tables cannot be opened (the store cannot be started)
};

// The statuses as the help text lists them.
inline constexpr const char* kExitStatusHelp =
    "Exit statuses:\n"
    "  0  done; for check: both tables and their indexes are sound\n"
    "  1  not all done: a file not added, no document found, no such document,\n"
    "     a search refused, pack declined or failed\n"
    "  2  wrong command line\n"
    "  3  check found damage, or reindex could not repair it\n"
    "  4  the tables cannot be opened";

}  // namespace cli
