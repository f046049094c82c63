// reindex: every tag of both tables rebuilt from the records.
#include <fmt/core.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/progress_bar.h"
#include "store/names.h"
#include "xbase/code4.h"
#include "xbase/d4.h"
#include "xbase/verify.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

struct TableFiles {
    const char* table;  // the data file
    const char* index;  // its production index
};
constexpr TableFiles kTables[] = {{"Keys.dbf", "Keys.cdx"}, {"Text.dbf", "Text.cdx"}};

// Before start-up opens the tables: an index that cannot be read at all is
// put aside (as <index>.damaged), so that start-up restores the empty index
// of its spare copy and the open fills it from the records. False when the
// table itself is damaged or the index cannot be put aside.
bool replace_unreadable_index(Session& session, const TableFiles& files) {
    const std::string folder = session.folder();
    std::error_code error;
    if (fs::file_size(folder + files.table, error) == 0 || error) return true;  // restored at start
    const xbase::VerifyReport report =
        xbase::verifyTable(folder + files.table, xbase::VerifyDepth::Files);
    if (!report.tableReadable) {
        session.dialogs().setContext(files.table);
        for (const std::string& problem : report.problems)
            session.dialogs().report(problem);
        session.dialogs().report("the table itself is damaged; its indexes cannot be rebuilt");
        return false;
    }
    if (report.indexReadable) return true;
    const std::string index = folder + files.index;
    session.dialogs().setContext(files.index);
    fs::rename(index, index + ".damaged", error);
    if (error) {
        session.dialogs().report("the index cannot be read and cannot be put aside: " +
                                 error.message());
        return false;
    }
    session.dialogs().report("the index could not be read; it is kept as " +
                             std::string(files.index) + ".damaged and rebuilt from the records");
    return true;
}

}  // namespace

int run_reindex(const CommonOptions& common) {
    Session session(common);
    for (const TableFiles& files : kTables)
        if (!replace_unreadable_index(session, files)) return kUnsound;
    session.dialogs().setContext("");
    if (!session.start()) return kNoStore;

    app::Program& program = session.program();
    ProgressBar bar("Reindexing", "tables", 2);
    session.dialogs().setBeforeOutput([&bar] { bar.clear(); });
    bool rebuilt = true;
    int done = 0;
    for (xbase::Data4* table : {program.keys, program.text}) {
        bar.setLabel(std::string("Reindexing ") + kTables[done].table);
        bar.update(static_cast<std::uint64_t>(done));
        const short result = xbase::d4reindex(table);
        program.frmMain.lastReturnCode = result;
        if (result != 0) {
            session.dialogs().setContext(kTables[done].table);
            session.dialogs().report(std::string("the tags cannot be rebuilt: ") +
                                     xbase::errorText(result));
            rebuilt = false;
        }
        program.frmMain.lastReturnCode = xbase::code4errorCode(program.engine, 0);
        bar.update(static_cast<std::uint64_t>(++done));
    }
    bar.clear();
    session.dialogs().setBeforeOutput({});
    if (!rebuilt) return kUnsound;
    fmt::print("Rebuilt the indexes of Keys.dbf and Text.dbf.\n");
    return kDone;
}

}  // namespace cli
