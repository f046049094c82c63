// A started program for one command.
#include "cli/session.h"

#include "app/program_folder.h"
#include "app/startup.h"

namespace cli {

Session::Session(const CommonOptions& options)
    : platform_(options.assumeYes),
      folder_(app::choose_program_folder(options.argv0, options.folder)),
      program_(platform_.services) {}

Session::~Session() {
    if (program_.engine != nullptr) app::close_main_window(program_);
}

bool Session::start() {
    return app::start_program(program_, folder_) && !program_.ended;
}

}  // namespace cli
