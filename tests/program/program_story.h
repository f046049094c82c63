// A user story's stage: a fresh program folder holding only the spare copies
// the build wrote, a scripted platform, and a Program started in that folder
// exactly as a first start does (the data files restored from the spares).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/startup.h"
#include "tests/support/scripted_platform.h"

namespace testsupport {

class ProgramStory {
  public:
    ProgramStory() { copy_spare_copies(); }
    ~ProgramStory() {
        if (program && program->engine != nullptr) app::close_main_window(*program);
    }
    ProgramStory(const ProgramStory&) = delete;
    ProgramStory& operator=(const ProgramStory&) = delete;

    // Starts (or restarts) the program in the story's folder; false when
    // start-up ended the program.
    bool start() {
        if (program && program->engine != nullptr) app::close_main_window(*program);
        program = std::make_unique<app::Program>(platform.services);
        return app::start_program(*program, folder.path());
    }

    app::Program& p() { return *program; }
    ui::FrmMain& main() { return program->frmMain; }

    TempFolder folder;
    ScriptedPlatform platform;
    std::unique_ptr<app::Program> program;

  private:
    void copy_spare_copies() {
        namespace fs = std::filesystem;
        for (const char* name : {"Keys.xx1", "Keys.xx2", "Text.xx1", "Text.xx2", "Text.xx3"}) {
            fs::copy_file(fs::path(VELLUMARK_PROGRAM_DIR) / name, folder.file(name));
        }
    }
};

}  // namespace testsupport
