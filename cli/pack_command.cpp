// pack: Pack Database, its question answered by --yes or the terminal.
#include "app/pack_database.h"
#include "cli/commands.h"
#include "cli/exit_status.h"

namespace cli {

int run_pack(const CommonOptions& common) {
    Session session(common);
    if (!session.start()) return kNoStore;
    app::Program& program = session.program();
    app::pack_database(program);
    // Only a finished pack ends the program without an exit code of its own.
    const bool packed = program.ended && program.exitCode == 0;
    if (program.ended && !packed) return kNoStore;
    if (packed) return kDone;
    // A refused question says nothing more; a failed pack has shown its box.
    if (session.dialogs().shown().size() == 1) session.dialogs().report("nothing was packed");
    return kNotDone;
}

}  // namespace cli
