// Pack Database: confirmation, deny-write reopen, memo compress, both packs.
#include "app/pack_database.h"

#include <string>

#include "app/messages.h"
#include "app/startup.h"
#include "xbase/d4.h"

namespace app {

namespace {

constexpr const char* kConfirmation =
    "This program will permanently remove the records tagged for deletion.  The program should "
    "only be run if no-one else is using the database.  Also, make sure that you have a good "
    "backup of the databases before you run this program.  Are you sure you want to proceed?";

void clear_error(Program& program) {
    program.frmMain.lastReturnCode = xbase::code4errorCode(program.engine, 0);
}

// Closes table and clears its handle; the engine's error state is reset.
void close_table(Program& program, xbase::Data4*& table) {
    program.frmMain.lastReturnCode = xbase::d4close(table);
    table = nullptr;
    clear_error(program);
}

// Reopens the table at path into table; false (after the message, the reset
// and the end of the program) when it cannot be opened.
bool reopen_table(Program& program, xbase::Data4*& table, const std::string& path) {
    table = xbase::d4open(program.engine, path.c_str());
    if (table != nullptr) return true;
    showMessage(program, cannot_open_message(path, false));
    clear_error(program);
    program.ended = true;
    program.exitCode = 1;
    return false;
}

// A return code as the message shows it: a leading minus sign for a negative
// code, a leading blank for any other.
std::string code_text(short code) {
    return code < 0 ? std::to_string(code) : " " + std::to_string(code);
}

// Packs table; on failure shows message + the code and gives false.
bool pack_table(Program& program, xbase::Data4* table, const char* message) {
    short& last = program.frmMain.lastReturnCode;
    last = xbase::d4pack(table);
    if (last == 0) return true;
    const short code = last;
    program.platform.desktop.setBusy(false);
    showMessage(program, message + code_text(code));
    clear_error(program);
    return false;
}

}  // namespace

void pack_database(Program& program) {
    ui::FrmMain& form = program.frmMain;
    if (showMessage(program, kConfirmation, platform::Icon::Question,
                    platform::Buttons::YesNoCancel) != platform::Answer::Yes) {
        return;
    }
    close_table(program, program.keys);
    close_table(program, program.text);
    form.lastReturnCode = xbase::code4accessMode(program.engine, 1);
    if (!reopen_table(program, program.keys, form.keysPath)) return;
    if (!reopen_table(program, program.text, form.textPath)) return;
    form.lastReturnCode = xbase::d4memoCompress(program.text);
    clear_error(program);

    program.platform.desktop.setBusy(true);
    if (!pack_table(program, program.keys, "Cannot unpack Database ")) return;
    if (!pack_table(program, program.text, "Cannot unpack Text database ")) return;
    program.platform.desktop.setBusy(false);
    showMessage(program, "Database Pack completed.  Please restart the program.");

    close_table(program, program.keys);
    close_table(program, program.text);
    form.lastReturnCode = xbase::d4initUndo(program.engine);
    program.engine = nullptr;
    program.ended = true;
}

}  // namespace app
