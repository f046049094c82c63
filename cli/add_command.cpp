// add: text files stored as documents through Create Index.
#include <fmt/core.h>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/file_list.h"
#include "cli/progress_bar.h"
#include "index/create_index.h"
#include "index/open_text_file.h"
#include "platform/cp1252.h"

namespace cli {

namespace {

// More files than this get a progress bar on a terminal.
constexpr std::uint64_t kFewFiles = 3;

// Reads the file into the text box as Open Text File does and runs Create
// Index on it with the drawer in the drawer box; true when it was stored
// without a message.
bool add_file(Session& session, const std::string& path, const std::string& drawer) {
    app::Program& program = session.program();
    ui::FrmMain& form = program.frmMain;
    const platform::ReadResult file = program.platform.files.readFile(path);
    if (!file.ok) {
        app::report_file_error(program, file.error, path);
        return false;
    }
    session.dialogs().setContext(path);
    if (file.bytes.find('\0') != std::string::npos) {
        session.dialogs().report("not a text file");
        return false;
    }
    form.txtInput.text = platform::textFromFile(file.bytes);
    form.focus = ui::MainFocus::txtInput;
    form.ComboFilter.text = drawer;
    const std::size_t messages = session.dialogs().shown().size();
    app::create_index(program);
    return session.dialogs().shown().size() == messages && form.txtInput.text == "Indexed";
}

}  // namespace

int run_add(const CommonOptions& common, const AddOptions& options) {
    const FileList list = collect_files(options.paths, options.recursive);
    Session session(common);
    for (const std::string& path : list.missing) {
        session.dialogs().setContext(path);
        session.dialogs().report("no such file or folder");
    }
    session.dialogs().setContext("");
    if (!session.start()) return kNoStore;

    const std::string drawer = platform::utf8ToCp1252(options.drawer);
    ProgressBar bar("Adding", "files", list.files.size(), kFewFiles);
    session.dialogs().setBeforeOutput([&bar] { bar.clear(); });
    std::size_t added = 0;
    std::int32_t first = 0, last = 0;
    for (std::size_t i = 0; i < list.files.size(); ++i) {
        if (add_file(session, list.files[i], drawer)) {
            last = session.program().frmMain.highestDocumentNumber;
            if (added++ == 0) first = last;
        }
        session.dialogs().setContext("");
        bar.update(i + 1);
    }
    bar.clear();
    session.dialogs().setBeforeOutput({});

    const std::size_t named = list.files.size() + list.missing.size();
    if (added == 0)
        fmt::print("Added 0 of {} files.\n", named);
    else if (first == last)
        fmt::print("Added {} of {} files: document {}.\n", added, named, first);
    else
        fmt::print("Added {} of {} files: documents {} to {}.\n", added, named, first, last);
    return added == named ? kDone : kNotDone;
}

}  // namespace cli
