// One run of the program behind a command: the terminal platform, the
// program folder chosen as the window chooses it, and app::Program started
// there with both tables open, shut down again at the end.
#pragma once

#include <string>

#include "app/program.h"
#include "cli/terminal_platform.h"

namespace cli {

// Options every command takes.
struct CommonOptions {
    std::string argv0;
    std::string folder;      // --folder DIR; empty: the usual choice
    bool assumeYes = false;  // --yes
};

class Session {
  public:
    explicit Session(const CommonOptions& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the program in the folder (restoring missing data files, opening
    // both tables). False when start-up ended the program; its reason went to
    // standard error.
    bool start();

    // The program folder, with a trailing separator.
    const std::string& folder() const { return folder_; }
    app::Program& program() { return program_; }
    TerminalDialogs& dialogs() { return platform_.dialogs; }

  private:
    TerminalPlatform platform_;
    std::string folder_;
    app::Program program_;
};

}  // namespace cli
